// The upload dialogue with the modem's flash loader: the upload request until READY, GO, the erase
// phase, the block loop that the modem leads with its requests, UPLOAD DONE and THANK YOU, and the
// screens that end an upload.
#include "image/preparation_error.h"
#include "progress_texts.h"
#include "upload_sequencer.h"

namespace uflash8 {

namespace {

constexpr int kHandshakeInterval = 500;
constexpr int kUploadInterval = 50;
constexpr int kHandshakeLimit = 250;
constexpr int kReplyTickLimit = 2000;

bool Contains(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

// The short forms: the first c of the line directly followed by its carriage return.
bool FirstIsFollowedByReturn(const std::string& text, char c) {
    const std::size_t at = text.find(c);
    return at != std::string::npos && at + 1 < text.size() && text[at + 1] == '\r';
}

enum class BlockRequest { kResend, kNext, kFailed, kUnknown };

// RESEND contains SEND, so it is asked first; FAILED comes last, so "SEND FAILED" still sends on.
BlockRequest Classify(const std::string& reply) {
    if (Contains(reply, "RESEND") || FirstIsFollowedByReturn(reply, 'R')) {
        return BlockRequest::kResend;
    }
    if (Contains(reply, "SEND") || FirstIsFollowedByReturn(reply, 'S')) {
        return BlockRequest::kNext;
    }
    if (Contains(reply, "FAILED")) {
        return BlockRequest::kFailed;
    }
    return BlockRequest::kUnknown;
}

}  // namespace

double UploadSequencer::Now() const {
    return environment_.clock() / 86400.0;
}

void UploadSequencer::BtnStartRunClick() {
    screen_.Label4.Caption.clear();
    screen_.Label12.Caption.clear();
    screen_.Label15.Caption.clear();
    screen_.Label10 = {"DO NOT INTERRUPT UPLOAD", false, TextColor::kRed, 14};
    screen_.BtnStartRun.Visible = false;
    state_.HandshakeTries = 0;
    screen_.Label8.Color = TextColor::kBlack;
    screen_.Label15.Color = TextColor::kBlack;
    // Blue as at start-up: a note from the preparation may have turned it red.
    screen_.Label2 = {"Please, wait....", true, TextColor::kBlue, 13};
    state_.SequencerState = 44;
}

void UploadSequencer::WriteUploadRequest() {
    const std::string request = screen_.Up_type.Text() == "M+C" ? "UP MC\r" : "UP BULK\r";
    environment_.serial->WriteString(request);
    WriteCaptureLine(request, "[out]");
    ++state_.HandshakeTries;
}

void UploadSequencer::SendUploadRequest() {
    screen_.Timer1.IntervalMs = kHandshakeInterval;
    // After the adapter was pulled out and put back, Repeat Upload opens the port again.
    if (!environment_.serial->Active()) {
        environment_.serial->SetActive(true);
        if (!environment_.serial->Active()) {
            UploadStopped("Com " + std::to_string(environment_.serial->Port()) +
                          " could not be opened again: check the cable and the serial adapter.");
            return;
        }
    }
    WriteUploadRequest();
    state_.SequencerState = 45;
}

void UploadSequencer::AwaitReady() {
    state_.WaitingFor = "waiting for response";
    if (Contains(state_.ReplyBuffer, "READY")) {
        screen_.Label10.Visible = true;
        screen_.Timer1.IntervalMs = kUploadInterval;
        state_.SequencerState = 54;
        return;
    }
    WriteUploadRequest();
    if (state_.HandshakeTries > kHandshakeLimit) {
        state_.SequencerState = 99;
    }
}

void UploadSequencer::SendGo() {
    state_.UploadStartTime = Now();
    state_.BlocksSent = 0;
    screen_.Label2.Caption = "Got READY, sending GO...";
    SendCommand("GO");
    state_.WaitLimitTicks = kReplyTickLimit;
}

void UploadSequencer::AwaitErasing() {
    state_.WaitingFor = "waiting for Erasing message";
    WaitForReply("ERASING", 99, 56, state_.LastReply);
}

void UploadSequencer::CheckErasing() {
    screen_.Label2.Caption = "Erasing...";
    state_.WaitTicks = 0;
    state_.SequencerState = 57;
}

void UploadSequencer::AwaitEraseResult() {
    state_.WaitingFor = "waiting for Erase Complete/Timeout";
    WaitForReply("ERASE", 99, 58, state_.LastReply);
}

void UploadSequencer::CheckEraseResult() {
    if (Contains(state_.LastReply, "ERASE ERROR")) {
        screen_.Label2.Caption = state_.LastReply;
        state_.WaitTicks = 0;
        state_.SequencerState = 59;
    } else if (Contains(state_.LastReply, "COMPLETE")) {
        screen_.Label2.Caption = "Erase complete...";
        // The image read from the start again is the one checked or written when it was offered, kept
        // open since: opened again by name it could be another file by now.
        if (!imageFile_) {
            throw flash410::image::PreparationError("The upload image " + state_.ImageFileName +
                                                    " is no longer open; choose the file again");
        }
        imagePosition_ = 0;
        state_.SequencerState = 66;
    } else {
        screen_.Label2.Caption = "unexpected response: " + state_.LastReply;
        state_.SequencerState = 0;
    }
}

void UploadSequencer::AwaitErrorBlock() {
    state_.WaitingFor = "waiting for Error Block";
    WaitForReply("BLOCK", 99, 60, state_.LastReply);
    WriteCaptureLine(state_.LastReply, "[in]");
}

void UploadSequencer::ShowErrorBlock() {
    screen_.Label2.Caption = state_.LastReply;
    state_.WaitTicks = 0;
    state_.SequencerState = 57;
}

void UploadSequencer::StartBlockLoop() {
    imagePosition_ = 0;
    screen_.Gauge.MaxValue = state_.BlockCount;
    screen_.Gauge.Visible = true;
    repeatedRequests_ = 0;
    state_.WaitTicks = 0;
    state_.SequencerState = 67;
}

void UploadSequencer::AwaitBlockRequest() {
    state_.WaitingFor = "waiting for SEND BLOCK message";
    WaitForReply("\r", 999, 68, state_.LastReply);
    if (state_.SequencerState != 68) {
        return;
    }
    switch (Classify(state_.LastReply)) {
        case BlockRequest::kResend:
            SendCurrentBlock();
            // A modem that keeps asking for one block would otherwise leave the screen as if frozen.
            ++repeatedRequests_;
            screen_.Label2.Caption = RepeatedRequestText(state_.BlocksSent, repeatedRequests_);
            state_.WaitTicks = 0;
            state_.SequencerState = 67;
            break;
        case BlockRequest::kNext:
            repeatedRequests_ = 0;
            if (state_.BlocksSent == state_.BlockCount) {
                state_.SequencerState = 73;
            } else {
                SendNextBlock();
                state_.WaitTicks = 0;
                state_.SequencerState = 67;
            }
            break;
        case BlockRequest::kFailed:
            screen_.Label2.Caption = "Upload failed";
            screen_.Label4.Caption.clear();
            capture_.DisableWithoutClosing();
            state_.SequencerState = 88;
            break;
        case BlockRequest::kUnknown:
            state_.SequencerState = 999;
            break;
    }
}

void UploadSequencer::SendUploadDone() {
    SendCommand("UPLOAD DONE");
    screen_.Label15.Caption = "Upload done...";
}

void UploadSequencer::AwaitThankYou() {
    state_.WaitingFor = "waiting for Thank You";
    WaitForReply("THANK YOU", 99, 75, state_.LastReply);
}

void UploadSequencer::FinishUpload() {
    state_.UploadEndTime = Now();
    screen_.Label2.Caption.clear();
    screen_.Gauge.Visible = false;
    screen_.Label15.Caption = "Software Upload complete";
    if (imageFile_) {
        imageFile_->Close();
        imageFile_.reset();
    }
    state_.HelpTopic = 5;
    state_.SequencerState = 82;
}

void UploadSequencer::ShowComplete() {
    screen_.BtnBackToStart.Visible = true;
    screen_.BtnRepeatUpload.Visible = true;
    screen_.Label10 = {"The 410 will re-boot. Upload is complete", screen_.Label10.Visible, TextColor::kBlue,
                       15};
    screen_.Label4.Caption = "Upload complete. Time taken: " + ElapsedTimeText();
    screen_.Label4.Color = TextColor::kBlack;
    state_.SequencerState = 0;
}

void UploadSequencer::ShowHalted() {
    state_.UploadEndTime = Now();
    screen_.Label4.Caption = "Upload HALTED. Time taken: " + ElapsedTimeText();
    screen_.Label4.Color = TextColor::kRed;
    screen_.Label15.Caption.clear();
    screen_.Label10 = {"Click on <Close> button", screen_.Label10.Visible, TextColor::kBlue, 12};
    screen_.BtnRepeatUpload.Visible = true;
    screen_.BtnBackToStart.Visible = true;
    state_.SequencerState = 0;
}

void UploadSequencer::TimedOut() {
    screen_.BtnBackToStart.Visible = true;
    screen_.BtnRepeatUpload.Visible = true;
    screen_.Label2.Caption = "Timed out " + state_.WaitingFor;
    screen_.Label10.Caption.clear();
    state_.SequencerState = 0;
}

void UploadSequencer::ResendBlock() {
    state_.ReplyBuffer.clear();
    WriteCaptureLine("resend", "[out]");
    SendCurrentBlock();
    // Only a wait that ran out leaves no reply line behind; an unrecognised line keeps the progress line.
    if (state_.LastReply.empty()) {
        screen_.Label2.Caption =
            SilenceResendText(state_.WaitLimitTicks, screen_.Timer1.IntervalMs, state_.BlocksSent);
    }
    state_.WaitTicks = 0;
    state_.SequencerState = 67;
}

void UploadSequencer::UploadStopped(const std::string& reason) {
    screen_.Label15 = {"Upload stopped", true, TextColor::kRed, screen_.Label15.FontPointSize};
    screen_.Label2 = {reason, true, TextColor::kRed, screen_.Label2.FontPointSize};
    screen_.Label4.Caption.clear();
    screen_.Label10.Caption.clear();
    screen_.Label10.Visible = false;
    screen_.BtnRepeatUpload.Visible = true;
    screen_.BtnBackToStart.Visible = true;
    state_.SequencerState = 0;
}

}  // namespace uflash8
