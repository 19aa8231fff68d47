#include "window_model/upload_presenter.h"

#include "upload/progress_texts.h"

namespace flash410::window_model {

void UploadPresenter::Show(const session::SessionEvent& event) {
    std::visit([this](const auto& happened) { On(happened); }, event);
}

void UploadPresenter::On(const upload::events::PortReport& report) {
    if (report.Opened) {
        screen_.ChooseFileButton.Visible = true;
    }
    screen_.PortStatusLine.Caption = "Port " + std::string(report.Opened ? "is" : "did not") +
                                     " open on Com " + std::to_string(report.Port) + " at " +
                                     std::to_string(report.Baudrate) + " baud";
    screen_.WarningLine.Visible = false;
}

void UploadPresenter::On(const upload::events::UploadStarting&) {
    screen_.ResultLine.Caption.clear();
    screen_.PortStatusLine.Caption.clear();
    screen_.RunInstructionLine.Caption.clear();
    screen_.WarningLine = {"DO NOT INTERRUPT UPLOAD", false, TextColor::kRed, 14};
    screen_.UploadButton.Visible = false;
    screen_.FileStatusLine.Color = TextColor::kBlack;
    screen_.RunInstructionLine.Color = TextColor::kBlack;
    // Blue as at start-up: a note from the preparation may have turned it red.
    screen_.ProgressLine = {"Please, wait....", true, TextColor::kBlue, 13};
}

void UploadPresenter::On(const upload::events::TickIntervalNeeded& interval) {
    screen_.Timer.IntervalMs = interval.IntervalMs;
}

void UploadPresenter::On(const upload::events::ReadySeen&) {
    screen_.WarningLine.Visible = true;
}

void UploadPresenter::On(const upload::events::GoSent&) {
    screen_.ProgressLine.Caption = "Got READY, sending GO...";
}

void UploadPresenter::On(const upload::events::ErasingSeen&) {
    screen_.ProgressLine.Caption = "Erasing...";
}

void UploadPresenter::On(const upload::events::EraseErrorLine& line) {
    screen_.ProgressLine.Caption = session::ShownModemText(line.Line);
}

void UploadPresenter::On(const upload::events::EraseComplete&) {
    screen_.ProgressLine.Caption = "Erase complete...";
}

void UploadPresenter::On(const upload::events::BlockLoopStarted& loop) {
    screen_.Gauge.MaxValue = loop.BlockCount;
    screen_.Gauge.Visible = true;
}

void UploadPresenter::On(const upload::events::BlockSent& sent) {
    screen_.Gauge.Progress = sent.BlocksSent;
    screen_.ProgressLine.Caption = upload::SendingBlockText(sent.BlocksSent, sent.BlockCount);
}

void UploadPresenter::On(const upload::events::BlockAskedAgain& asked) {
    screen_.ProgressLine.Caption = upload::RepeatedRequestText(asked.BlocksSent, asked.Times);
}

void UploadPresenter::On(const upload::events::SilenceResent& silence) {
    screen_.ProgressLine.Caption =
        upload::SilenceResendText(silence.WaitTicks, silence.IntervalMs, silence.BlocksSent);
}

void UploadPresenter::On(const upload::events::ModemFailed&) {
    screen_.ProgressLine.Caption = "Upload failed";
    screen_.ResultLine.Caption.clear();
}

void UploadPresenter::On(const upload::events::UploadDoneSent&) {
    screen_.RunInstructionLine.Caption = "Upload done...";
}

void UploadPresenter::On(const upload::events::UploadFinishing&) {
    screen_.ProgressLine.Caption.clear();
    screen_.Gauge.Visible = false;
    screen_.RunInstructionLine.Caption = "Software Upload complete";
}

void UploadPresenter::On(const session::UploadConcluded& concluded) {
    switch (concluded.Result.Outcome) {
        case upload::UploadOutcome::kComplete:
            ShowComplete(concluded.Words);
            break;
        case upload::UploadOutcome::kModemFailed:
            ShowHalted(concluded.Words);
            break;
        case upload::UploadOutcome::kUnexpectedReply:
            screen_.ProgressLine.Caption = concluded.Words.Summary;
            break;
        case upload::UploadOutcome::kTimedOut:
            ShowTimedOut(concluded.Words);
            break;
        case upload::UploadOutcome::kConnectionLost:
        case upload::UploadOutcome::kImageUnreadable:
        case upload::UploadOutcome::kBlockRefused:
            ShowStopped(concluded.Words);
            break;
        case upload::UploadOutcome::kStopped:
            break;  // the operator has already left the upload's panel
    }
}

void UploadPresenter::ShowComplete(const session::EndWords& words) {
    screen_.BackToStartButton.Visible = true;
    screen_.RepeatUploadButton.Visible = true;
    screen_.WarningLine = {"The 410 will re-boot. Upload is complete", screen_.WarningLine.Visible,
                           TextColor::kBlue, 15};
    screen_.ResultLine.Caption = words.Summary;
    screen_.ResultLine.Color = TextColor::kBlack;
}

void UploadPresenter::ShowHalted(const session::EndWords& words) {
    screen_.ResultLine.Caption = words.Summary;
    screen_.ResultLine.Color = TextColor::kRed;
    screen_.RunInstructionLine.Caption.clear();
    screen_.WarningLine = {"Click on <Close> button", screen_.WarningLine.Visible, TextColor::kBlue, 12};
    screen_.RepeatUploadButton.Visible = true;
    screen_.BackToStartButton.Visible = true;
}

void UploadPresenter::ShowTimedOut(const session::EndWords& words) {
    screen_.BackToStartButton.Visible = true;
    screen_.RepeatUploadButton.Visible = true;
    screen_.ProgressLine.Caption = words.Summary;
    screen_.WarningLine.Caption.clear();
}

void UploadPresenter::ShowStopped(const session::EndWords& words) {
    screen_.RunInstructionLine = {words.Summary, true, TextColor::kRed,
                                  screen_.RunInstructionLine.FontPointSize};
    screen_.ProgressLine = {words.Reason, true, TextColor::kRed, screen_.ProgressLine.FontPointSize};
    screen_.ResultLine.Caption.clear();
    screen_.WarningLine.Caption.clear();
    screen_.WarningLine.Visible = false;
    screen_.RepeatUploadButton.Visible = true;
    screen_.BackToStartButton.Visible = true;
}

}  // namespace flash410::window_model
