// The engine's frame: opening the port, starting and ending an upload, the tick's dispatch and the
// operations the dialogue steps are made of.
#include "upload/upload_engine.h"

#include <span>
#include <utility>

#include "platform/scope_exit.h"
#include "upload/reply_scanner.h"

namespace flash410::upload {

namespace {

constexpr int kPortOpenPollLimit = 20;

// The steps that talk to the modem: they stop the upload once the port has closed under them.
bool UsesTheLine(DialogueStep step) {
    switch (step) {
        case DialogueStep::kAwaitReady:
        case DialogueStep::kSendGo:
        case DialogueStep::kAwaitErasing:
        case DialogueStep::kCheckErasing:
        case DialogueStep::kAwaitEraseResult:
        case DialogueStep::kCheckEraseResult:
        case DialogueStep::kAwaitErrorBlock:
        case DialogueStep::kShowErrorBlock:
        case DialogueStep::kStartBlockLoop:
        case DialogueStep::kAwaitBlockRequest:
        case DialogueStep::kBlockRequestTaken:
        case DialogueStep::kSendUploadDone:
        case DialogueStep::kAwaitThankYou:
        case DialogueStep::kResendBlock:
            return true;
        default:
            return false;
    }
}

}  // namespace

UploadEngine::UploadEngine(UploadEngineEnvironment environment) : environment_(std::move(environment)) {}

// ---- Opening the port ---------------------------------------------------------------------------

void UploadEngine::OpenPort(std::uint8_t port, std::int32_t baud) {
    port_ = port;
    state_.UploadBaud = baud;
    state_.Step = DialogueStep::kOpenPort;
}

void UploadEngine::PollPortOpen() {
    ++state_.PortOpenPolls;
    if (environment_.serial->Active()) {
        state_.ReplyBuffer.clear();
        state_.Step = DialogueStep::kReportPort;
    } else if (state_.PortOpenPolls >= kPortOpenPollLimit) {
        state_.Step = DialogueStep::kReportPort;
    }
}

void UploadEngine::ReportPort() {
    serial::SerialLine& serial = *environment_.serial;
    Report(events::PortReport{serial.Active(), serial.Port(), serial.Baudrate()});
    state_.Step = DialogueStep::kIdle;
}

// ---- Starting and ending ------------------------------------------------------------------------

void UploadEngine::StartUpload(UploadRequest request) {
    request_ = request;
    uploading_ = true;
    goSent_ = false;
    blocksAskedAgain_ = 0;
    answersOwedToCopies_ = 0;
    heldAnswer_.reset();
    linePaced_ = environment_.serial->KeepsPace();
    blockOnWireUntil_ = 0;
    replyBegunAt_ = 0;
    state_.HandshakeTries = 0;
    Report(events::UploadStarting{});
    state_.Step = DialogueStep::kSendUploadRequest;
}

void UploadEngine::Stop() {
    if (uploading_) {
        End(UploadOutcome::kStopped);
    }
}

void UploadEngine::ReturnToStart() {
    Stop();
    state_.ReplyBuffer.clear();
    state_.Step = DialogueStep::kIdle;
}

void UploadEngine::End(UploadOutcome outcome, std::string detail) {
    // A completed or halted upload has its end time taken by its own step.
    const bool endTimeTaken = outcome == UploadOutcome::kComplete || outcome == UploadOutcome::kModemFailed;
    UploadResult result;
    result.Outcome = outcome;
    result.Detail = std::move(detail);
    result.BlocksAskedAgain = blocksAskedAgain_;
    if (goSent_) {
        result.BlocksSent = state_.BlocksSent;
        result.StartTime = state_.UploadStartTime;
        result.EndTime = endTimeTaken ? state_.UploadEndTime : Now();
    }
    uploading_ = false;
    state_.Step = DialogueStep::kIdle;
    Report(events::UploadEnded{std::move(result)});
}

// ---- The tick -----------------------------------------------------------------------------------

void UploadEngine::PerformStep() {
    if (UsesTheLine(state_.Step) && !environment_.serial->Active()) {
        End(UploadOutcome::kConnectionLost,
            "The serial port closed during the upload: the connection to the modem was lost.");
        return;
    }
    PerformDialogueStep();
}

void UploadEngine::Tick() {
    const DialogueStep performed = state_.Step;
    WriteStepLine();
    PerformStep();
    PerformStepsDue(performed);
}

void UploadEngine::PerformStepsDue(DialogueStep performed) {
    // Only a step that moved on is followed: one that did not (a wait still waiting, a block request
    // answered with the wait for the next) would be performed again and again.
    while (state_.Step != performed) {
        performed = state_.Step;
        if (StepWaitsForNothing()) {
            WriteStepLine();
            PerformStep();
        } else if (AwaitedReplyArrived()) {
            WriteStepLine();
            PerformStepOnReply();
        } else {
            return;
        }
    }
}

void UploadEngine::Receive(Arrival arrival) {
    std::string received;
    environment_.serial->ReadString(received);
    // When a reply line begins: a modem that sends its line slowly began it once it had the block.
    if (!HoldsReplyText(state_.ReplyBuffer) && HoldsReplyText(received)) {
        replyBegunAt_ = environment_.clock();
    }
    state_.ReplyBuffer += received;
    Capture(state_.ReplyBuffer, "[in]");
    if (arrival == Arrival::kBetweenTicks && AwaitedReplyArrived()) {
        const DialogueStep performed = state_.Step;
        WriteStepLine();
        PerformStepOnReply();
        PerformStepsDue(performed);
    }
}

void UploadEngine::WriteStepLine() {
    Capture(std::to_string(StepNumber(state_.Step)), "[pn]");
}

bool UploadEngine::AwaitedReplyArrived() const {
    if (!uploading_) {
        return false;
    }
    if (state_.Step == DialogueStep::kAwaitReady) {
        return SaysReady(state_.ReplyBuffer);
    }
    const std::optional<std::string> expected = AwaitedReply(state_.Step);
    return expected && TakeReplyLine(state_.ReplyBuffer, *expected).has_value();
}

bool UploadEngine::StepWaitsForNothing() const {
    if (!uploading_) {
        return false;
    }
    // The steps between READY and the first block; the ones that end an upload (UPLOAD DONE among them)
    // keep their tick, so that its end comes as it always has.
    switch (state_.Step) {
        case DialogueStep::kSendGo:
        case DialogueStep::kCheckErasing:
        case DialogueStep::kCheckEraseResult:
        case DialogueStep::kShowErrorBlock:
        case DialogueStep::kStartBlockLoop:
            return true;
        default:
            return false;
    }
}

void UploadEngine::PerformStepOnReply() {
    if (!AwaitedReplyArrived()) {
        return;
    }
    onReply_ = true;
    const platform::ScopeExit reset([this] { onReply_ = false; });
    PerformStep();
}

void UploadEngine::PerformDialogueStep() {
    using enum DialogueStep;
    // clang-format off
    switch (state_.Step) {
        case kOpenPort:
            environment_.serial->SetBaudrate(state_.UploadBaud);
            environment_.serial->SetPort(port_);
            Capture("com port open at " + std::to_string(state_.UploadBaud), "[co]");
            state_.ReplyBuffer.clear();
            environment_.serial->SetActive(true);
            state_.PortOpenPolls = 0;
            state_.Step = kPollPortOpen;
            break;
        case kPollPortOpen: PollPortOpen(); break;
        case kReportPort: ReportPort(); break;
        case kSendUploadRequest: SendUploadRequest(); break;
        case kAwaitReady: AwaitReady(); break;
        case kSendGo: SendGo(); break;
        case kAwaitErasing: AwaitErasing(); break;
        case kCheckErasing: CheckErasing(); break;
        case kAwaitEraseResult: AwaitEraseResult(); break;
        case kCheckEraseResult: CheckEraseResult(); break;
        case kAwaitErrorBlock: AwaitErrorBlock(); break;
        case kShowErrorBlock: ShowErrorBlock(); break;
        case kStartBlockLoop: StartBlockLoop(); break;
        case kAwaitBlockRequest: AwaitBlockRequest(); break;
        case kSendUploadDone: SendUploadDone(); break;
        case kAwaitThankYou: AwaitThankYou(); break;
        case kFinishUpload: FinishUpload(); break;
        case kShowComplete: End(UploadOutcome::kComplete); break;
        case kShowHalted:
            state_.UploadEndTime = Now();
            End(UploadOutcome::kModemFailed);
            break;
        case kTimedOut: End(UploadOutcome::kTimedOut, state_.WaitingFor); break;
        case kResendBlock: ResendBlock(); break;
        default: break;  // a request taken is answered in the tick that took it
    }
    // clang-format on
}

// ---- Operations ---------------------------------------------------------------------------------

void UploadEngine::SendCommand(const std::string& text, DialogueStep next) {
    SendText(text);
    state_.WaitTicks = 0;
    state_.Step = next;
}

void UploadEngine::SendText(const std::string& text) {
    state_.ReplyBuffer.clear();
    SendToModem(text + '\r');
}

void UploadEngine::SendToModem(const std::string& text) {
    Capture(text, "[out]");
    environment_.serial->Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void UploadEngine::WaitForReply(const std::string& expected, DialogueStep timeoutStep, DialogueStep nextStep,
                                std::string& reply) {
    reply.clear();
    // The limit comes first: on the last tick a reply already there is not taken. A reply that arrives
    // between ticks comes before that tick, so it counts none.
    if (!onReply_ && ++state_.WaitTicks >= state_.WaitLimitTicks) {
        state_.Step = timeoutStep;
        return;
    }
    if (std::optional<TakenReply> taken = TakeReplyLine(state_.ReplyBuffer, expected)) {
        reply = std::move(taken->Line);
        state_.ReplyBuffer = std::move(taken->Rest);
        state_.Step = nextStep;
    }
}

void UploadEngine::NeedTickInterval(std::int32_t intervalMs) {
    tickIntervalMs_ = intervalMs;
    Report(events::TickIntervalNeeded{intervalMs});
}

void UploadEngine::UseImage(image::UploadImageBytes image, std::string name, std::int32_t blockCount) {
    image_ = std::move(image);
    imageName_ = std::move(name);
    state_.BlockCount = blockCount;
}

void UploadEngine::ReleaseImage() {
    image_.reset();
}

void UploadEngine::Capture(const std::string& text, const std::string& tag) {
    if (environment_.capture.WriteLine) {
        environment_.capture.WriteLine(text, tag);
    }
}

void UploadEngine::Report(const UploadEvent& event) {
    if (environment_.events) {
        environment_.events(event);
    }
}

double UploadEngine::SecondsBetween(double earlier, double later) {
    // The clock's seconds of the day start again at midnight.
    return later >= earlier ? later - earlier : later + platform::kSecondsPerDay - earlier;
}

double UploadEngine::Now() const {
    return environment_.clock() / platform::kSecondsPerDay;
}

}  // namespace flash410::upload
