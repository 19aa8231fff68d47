// The upload dialogue with the modem's flash loader: the upload request until READY, GO, the erase
// phase, the block loop that the modem leads with its requests, UPLOAD DONE and THANK YOU.
#include <utility>

#include "upload/progress_texts.h"
#include "upload/reply_scanner.h"
#include "upload/upload_engine.h"

namespace flash410::upload {

namespace {

constexpr int kHandshakeInterval = 500;
constexpr int kUploadInterval = 50;
constexpr char kErasingReply[] = "ERASING";
constexpr char kEraseResultReply[] = "ERASE";
constexpr char kErrorBlockReply[] = "BLOCK";
constexpr char kBlockRequestReply[] = "\r";  // any line: the request is read from it
constexpr char kThankYouReply[] = "THANK YOU";
// The modem's own delay before it answers a block it has whole.
constexpr double kAnswerMarginSeconds = 0.5;

}  // namespace

std::optional<std::string> UploadEngine::AwaitedReply(DialogueStep step) {
    switch (step) {
        case DialogueStep::kAwaitErasing:
            return kErasingReply;
        case DialogueStep::kAwaitEraseResult:
            return kEraseResultReply;
        case DialogueStep::kAwaitErrorBlock:
            return kErrorBlockReply;
        case DialogueStep::kAwaitBlockRequest:
            return kBlockRequestReply;
        case DialogueStep::kAwaitThankYou:
            return kThankYouReply;
        default:
            return std::nullopt;
    }
}

void UploadEngine::SendUploadRequest() {
    NeedTickInterval(kHandshakeInterval);
    // After the adapter was pulled out and put back, Repeat Upload opens the port again.
    if (!environment_.serial->Active()) {
        environment_.serial->SetActive(true);
        if (!environment_.serial->Active()) {
            End(UploadOutcome::kConnectionLost,
                "Com " + std::to_string(environment_.serial->Port()) +
                    " could not be opened again: check the cable and the serial adapter.");
            return;
        }
    }
    RepeatUploadRequest();
    state_.Step = DialogueStep::kAwaitReady;
}

void UploadEngine::RepeatUploadRequest() {
    // Sent as it is, without dropping what has come in: READY may be on its way in pieces.
    SendToModem(RequestLine(request_));
    ++state_.HandshakeTries;
}

void UploadEngine::AwaitReady() {
    state_.WaitingFor = "waiting for response";
    if (SaysReady(state_.ReplyBuffer)) {
        Report(events::ReadySeen{});
        NeedTickInterval(kUploadInterval);
        state_.Step = DialogueStep::kSendGo;
        return;
    }
    RepeatUploadRequest();
    if (state_.HandshakeTries > environment_.limits.HandshakeTries) {
        state_.Step = DialogueStep::kTimedOut;
    }
}

void UploadEngine::SendGo() {
    state_.UploadStartTime = Now();
    state_.BlocksSent = 0;
    goSent_ = true;
    Report(events::GoSent{});
    SendCommand("GO", DialogueStep::kAwaitErasing);
    state_.WaitLimitTicks = environment_.limits.ReplyWaitTicks;
}

void UploadEngine::AwaitErasing() {
    state_.WaitingFor = "waiting for Erasing message";
    WaitForReply(kErasingReply, DialogueStep::kTimedOut, DialogueStep::kCheckErasing, state_.LastReply);
}

void UploadEngine::CheckErasing() {
    Report(events::ErasingSeen{});
    state_.WaitTicks = 0;
    state_.Step = DialogueStep::kAwaitEraseResult;
}

void UploadEngine::AwaitEraseResult() {
    state_.WaitingFor = "waiting for Erase Complete/Timeout";
    WaitForReply(kEraseResultReply, DialogueStep::kTimedOut, DialogueStep::kCheckEraseResult,
                 state_.LastReply);
}

void UploadEngine::CheckEraseResult() {
    switch (ClassifyEraseResult(state_.LastReply)) {
        case EraseResult::kError:
            Report(events::EraseErrorLine{state_.LastReply});
            state_.WaitTicks = 0;
            state_.Step = DialogueStep::kAwaitErrorBlock;
            break;
        case EraseResult::kComplete:
            Report(events::EraseComplete{});
            // The image sent is the one checked or written when it was offered, held since: read again by
            // name it could be another file by now.
            if (!image_) {
                End(UploadOutcome::kImageUnreadable,
                    "The upload image " + imageName_ + " is no longer at hand; choose the file again");
                return;
            }
            imagePosition_ = 0;
            state_.Step = DialogueStep::kStartBlockLoop;
            break;
        case EraseResult::kUnexpected:
            End(UploadOutcome::kUnexpectedReply, state_.LastReply);
            break;
    }
}

void UploadEngine::AwaitErrorBlock() {
    state_.WaitingFor = "waiting for Error Block";
    WaitForReply(kErrorBlockReply, DialogueStep::kTimedOut, DialogueStep::kShowErrorBlock, state_.LastReply);
    Capture(state_.LastReply, "[in]");
}

void UploadEngine::ShowErrorBlock() {
    Report(events::EraseErrorLine{state_.LastReply});
    state_.WaitTicks = 0;
    state_.Step = DialogueStep::kAwaitEraseResult;
}

void UploadEngine::StartBlockLoop() {
    imagePosition_ = 0;
    Report(events::BlockLoopStarted{state_.BlockCount});
    repeatedRequests_ = 0;
    state_.WaitTicks = 0;
    state_.Step = DialogueStep::kAwaitBlockRequest;
}

void UploadEngine::AwaitBlockRequest() {
    state_.WaitingFor = "waiting for SEND BLOCK message";
    // A held answer is acted on once its window has passed with no other answer begun, or when the wait
    // runs out, rather than taking the silence for one.
    if (heldAnswer_ && !onReply_ && (SettleWindowPassed() || state_.WaitTicks + 1 >= state_.WaitLimitTicks)) {
        state_.LastReply = *std::exchange(heldAnswer_, std::nullopt);
        answersOwedToCopies_ = 0;
        // An early answer that no other followed was the block's own: this line does not keep the pace
        // of its baud (a virtual null modem), and its answers are taken as they come.
        if (heldEarly_) {
            linePaced_ = false;
        }
        state_.Step = DialogueStep::kBlockRequestTaken;
        ActOnBlockRequest(ClassifyBlockRequest(state_.LastReply));
        return;
    }
    WaitForReply(kBlockRequestReply, DialogueStep::kResendBlock, DialogueStep::kBlockRequestTaken,
                 state_.LastReply);
    if (state_.Step == DialogueStep::kBlockRequestTaken) {
        AnswerBlockRequest();
    }
}

void UploadEngine::AnswerBlockRequest() {
    // The modem answers each block once, and only once the whole block has crossed the wire. Acting on an
    // answer that is not the last block's would put this end one block ahead of the modem, and a RESEND
    // then would send the wrong block and leave the refused one out. Such answers are the modem's to a
    // block sent again on silence (a modem that was only slow answers the block and its copy, one that
    // had lost the block the copy alone) and a request said twice. FAILED ends the upload whenever it
    // comes.
    const BlockRequest request = ClassifyBlockRequest(state_.LastReply);
    const bool early = request != BlockRequest::kFailed && BlockOnTheWire(replyBegunAt_);
    if (answersOwedToCopies_ > 0 && request != BlockRequest::kFailed) {
        // On a line that keeps pace, an answer that begins while the copy is still crossing the wire is
        // the block's, never the copy's: it is left out. Any other is held for as long again as it took
        // since the copy went, the copy's time on the wire and a margin: an answer begun within that window
        // was the copy's, and the modem stands where the last answer says.
        if (!heldAnswer_ && early && linePaced_) {
            --answersOwedToCopies_;
            state_.Step = DialogueStep::kAwaitBlockRequest;
            return;
        }
        if (heldAnswer_) {
            --answersOwedToCopies_;
        }
        if (answersOwedToCopies_ > 0) {
            HoldAnswer(SecondsBetween(copySentAt_, environment_.clock()) + BlockWireSeconds(), false);
            return;
        }
    } else if (early && linePaced_) {
        // Any other answer that begins before the last block has crossed is held until the block has (a
        // slow answer may have ended after that), and a margin: the block's own answer begun by then
        // shows the held one was not.
        const double now = environment_.clock();
        HoldAnswer(BlockOnTheWire(now) ? blockOnWireUntil_ - now : 0, true);
        return;
    }
    if (!early) {
        linePaced_ = environment_.serial->KeepsPace();
    }
    heldAnswer_.reset();
    ActOnBlockRequest(request);
}

void UploadEngine::HoldAnswer(double seconds, bool early) {
    const double now = environment_.clock();
    settleSeconds_ = seconds + kAnswerMarginSeconds;
    heldLineSeconds_ = SecondsBetween(replyBegunAt_, now);
    heldAt_ = now;
    heldEarly_ = early;
    heldAnswer_ = state_.LastReply;
    state_.WaitTicks = 0;
    state_.Step = DialogueStep::kAwaitBlockRequest;
}

bool UploadEngine::SettleWindowPassed() const {
    const double now = environment_.clock();
    if (SecondsBetween(heldAt_, now) < settleSeconds_) {
        return false;
    }
    // An answer begun within the window is awaited for as long as the held one took to come, half as long
    // again for a longer line, and the margin: so noise alone holds the answer no longer than that.
    return !HoldsReplyText(state_.ReplyBuffer) ||
           SecondsBetween(replyBegunAt_, now) >= 1.5 * heldLineSeconds_ + kAnswerMarginSeconds;
}

void UploadEngine::ActOnBlockRequest(BlockRequest request) {
    // Before the first block there is no block to send again: whatever else the modem asks, it gets the
    // first, never the leftovers of the block buffer.
    if (state_.BlocksSent == 0 && request != BlockRequest::kFailed) {
        request = BlockRequest::kNext;
    }
    switch (request) {
        case BlockRequest::kResend:
            ++repeatedRequests_;
            if (environment_.limits.RepeatedRequestLimit > 0 &&
                repeatedRequests_ >= environment_.limits.RepeatedRequestLimit) {
                End(UploadOutcome::kBlockRefused, RepeatedRequestText(state_.BlocksSent, repeatedRequests_));
                return;
            }
            SendCurrentBlock();
            ++blocksAskedAgain_;
            // A modem that keeps asking for one block would otherwise leave the screen as if frozen.
            Report(events::BlockAskedAgain{state_.BlocksSent, repeatedRequests_});
            state_.WaitTicks = 0;
            state_.Step = DialogueStep::kAwaitBlockRequest;
            break;
        case BlockRequest::kNext:
            repeatedRequests_ = 0;
            if (state_.BlocksSent == state_.BlockCount) {
                state_.Step = DialogueStep::kSendUploadDone;
            } else if (SendNextBlock()) {
                state_.WaitTicks = 0;
                state_.Step = DialogueStep::kAwaitBlockRequest;
            }
            break;
        case BlockRequest::kFailed:
            Report(events::ModemFailed{});
            state_.Step = DialogueStep::kShowHalted;
            break;
        case BlockRequest::kUnknown:
            state_.Step = DialogueStep::kResendBlock;
            break;
    }
}

void UploadEngine::SendUploadDone() {
    SendCommand("UPLOAD DONE", DialogueStep::kAwaitThankYou);
    Report(events::UploadDoneSent{});
}

void UploadEngine::AwaitThankYou() {
    state_.WaitingFor = "waiting for Thank You";
    WaitForReply(kThankYouReply, DialogueStep::kTimedOut, DialogueStep::kFinishUpload, state_.LastReply);
}

void UploadEngine::FinishUpload() {
    state_.UploadEndTime = Now();
    image_.reset();
    Report(events::UploadFinishing{});
    state_.Step = DialogueStep::kShowComplete;
}

void UploadEngine::ResendBlock() {
    // Only a wait that ran out leaves no reply line behind.
    const bool silence = state_.LastReply.empty();
    if (silence && !environment_.limits.ResendOnSilence) {
        End(UploadOutcome::kTimedOut, state_.WaitingFor);
        return;
    }
    // FAILED that came as the wait ran out still ends the upload, and what has come of a reply under way
    // stays for the rest of it: dropped, either would leave the upload sending the block, wait after wait,
    // to a modem that has given up. (The text that stays began before the copy, so it is no answer to it.)
    std::string underWay;
    if (silence) {
        if (const std::optional<TakenReply> late = TakeReplyLine(state_.ReplyBuffer, kBlockRequestReply);
            late && ClassifyBlockRequest(late->Line) == BlockRequest::kFailed) {
            state_.LastReply = late->Line;
            ActOnBlockRequest(BlockRequest::kFailed);
            return;
        }
        if (HoldsReplyText(state_.ReplyBuffer)) {
            underWay = state_.ReplyBuffer;
        }
    }
    state_.ReplyBuffer.clear();
    Capture("resend", "[out]");
    if (state_.BlocksSent == 0) {
        // A silent modem has not had the first block yet: nothing to send again.
        if (!SendNextBlock()) {
            return;
        }
    } else {
        SendCurrentBlock();
        ++blocksAskedAgain_;
        // An unrecognised line keeps the progress line.
        if (silence) {
            Report(events::SilenceResent{state_.WaitLimitTicks, tickIntervalMs_, state_.BlocksSent});
        }
    }
    // A block sent on silence, the first one included, may be answered besides the request it stood in for.
    if (silence) {
        ++answersOwedToCopies_;
        copySentAt_ = environment_.clock();
        state_.ReplyBuffer = std::move(underWay);
    }
    state_.WaitTicks = 0;
    state_.Step = DialogueStep::kAwaitBlockRequest;
}

}  // namespace flash410::upload
