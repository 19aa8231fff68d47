#include "window_model/upload_presenter.h"

#include "upload/progress_texts.h"
#include "upload/time_texts.h"

namespace uflash8 {

void UploadPresenter::Show(const UploadEvent& event) {
    std::visit([this](const auto& happened) { On(happened); }, event);
}

void UploadPresenter::On(const events::PortReport& report) {
    if (report.Opened) {
        screen_.BtnChooseFile.Visible = true;
    }
    screen_.Label12.Caption = "Port " + std::string(report.Opened ? "is" : "did not") + " open on Com " +
                              std::to_string(report.Port) + " at " + std::to_string(report.Baudrate) +
                              " baud";
    screen_.Label10.Visible = false;
}

void UploadPresenter::On(const events::UploadStarting&) {
    screen_.Label4.Caption.clear();
    screen_.Label12.Caption.clear();
    screen_.Label15.Caption.clear();
    screen_.Label10 = {"DO NOT INTERRUPT UPLOAD", false, TextColor::kRed, 14};
    screen_.BtnStartRun.Visible = false;
    screen_.Label8.Color = TextColor::kBlack;
    screen_.Label15.Color = TextColor::kBlack;
    // Blue as at start-up: a note from the preparation may have turned it red.
    screen_.Label2 = {"Please, wait....", true, TextColor::kBlue, 13};
}

void UploadPresenter::On(const events::TickIntervalNeeded& interval) {
    screen_.Timer1.IntervalMs = interval.IntervalMs;
}

void UploadPresenter::On(const events::ReadySeen&) {
    screen_.Label10.Visible = true;
}

void UploadPresenter::On(const events::GoSent&) {
    screen_.Label2.Caption = "Got READY, sending GO...";
}

void UploadPresenter::On(const events::ErasingSeen&) {
    screen_.Label2.Caption = "Erasing...";
}

void UploadPresenter::On(const events::EraseErrorLine& line) {
    screen_.Label2.Caption = line.Line;
}

void UploadPresenter::On(const events::EraseComplete&) {
    screen_.Label2.Caption = "Erase complete...";
}

void UploadPresenter::On(const events::BlockLoopStarted& loop) {
    screen_.Gauge.MaxValue = loop.BlockCount;
    screen_.Gauge.Visible = true;
}

void UploadPresenter::On(const events::BlockSent& sent) {
    screen_.Gauge.Progress = sent.BlocksSent;
    screen_.Label2.Caption = SendingBlockText(sent.BlocksSent, sent.BlockCount);
}

void UploadPresenter::On(const events::BlockAskedAgain& asked) {
    screen_.Label2.Caption = RepeatedRequestText(asked.BlocksSent, asked.Times);
}

void UploadPresenter::On(const events::SilenceResent& silence) {
    screen_.Label2.Caption = SilenceResendText(silence.WaitTicks, silence.IntervalMs, silence.BlocksSent);
}

void UploadPresenter::On(const events::ModemFailed&) {
    screen_.Label2.Caption = "Upload failed";
    screen_.Label4.Caption.clear();
}

void UploadPresenter::On(const events::UploadDoneSent&) {
    screen_.Label15.Caption = "Upload done...";
}

void UploadPresenter::On(const events::UploadFinishing&) {
    screen_.Label2.Caption.clear();
    screen_.Gauge.Visible = false;
    screen_.Label15.Caption = "Software Upload complete";
}

void UploadPresenter::On(const events::UploadEnded& ended) {
    const UploadResult& result = ended.Result;
    switch (result.Outcome) {
        case UploadOutcome::kComplete:
            ShowComplete(result);
            break;
        case UploadOutcome::kModemFailed:
            ShowHalted(result);
            break;
        case UploadOutcome::kUnexpectedReply:
            screen_.Label2.Caption = "unexpected response: " + result.Detail;
            break;
        case UploadOutcome::kTimedOut:
            ShowTimedOut(result);
            break;
        case UploadOutcome::kConnectionLost:
        case UploadOutcome::kImageUnreadable:
        case UploadOutcome::kBlockRefused:
            ShowStopped(result.Detail);
            break;
        case UploadOutcome::kStopped:
            break;  // the operator has already left the upload's panel
    }
}

void UploadPresenter::ShowComplete(const UploadResult& result) {
    screen_.BtnBackToStart.Visible = true;
    screen_.BtnRepeatUpload.Visible = true;
    screen_.Label10 = {"The 410 will re-boot. Upload is complete", screen_.Label10.Visible, TextColor::kBlue,
                       15};
    screen_.Label4.Caption =
        "Upload complete. Time taken: " + ElapsedTimeText(result.StartTime, result.EndTime);
    screen_.Label4.Color = TextColor::kBlack;
}

void UploadPresenter::ShowHalted(const UploadResult& result) {
    screen_.Label4.Caption =
        "Upload HALTED. Time taken: " + ElapsedTimeText(result.StartTime, result.EndTime);
    screen_.Label4.Color = TextColor::kRed;
    screen_.Label15.Caption.clear();
    screen_.Label10 = {"Click on <Close> button", screen_.Label10.Visible, TextColor::kBlue, 12};
    screen_.BtnRepeatUpload.Visible = true;
    screen_.BtnBackToStart.Visible = true;
}

void UploadPresenter::ShowTimedOut(const UploadResult& result) {
    screen_.BtnBackToStart.Visible = true;
    screen_.BtnRepeatUpload.Visible = true;
    screen_.Label2.Caption = "Timed out " + result.Detail;
    screen_.Label10.Caption.clear();
}

void UploadPresenter::ShowStopped(const std::string& reason) {
    screen_.Label15 = {"Upload stopped", true, TextColor::kRed, screen_.Label15.FontPointSize};
    screen_.Label2 = {reason, true, TextColor::kRed, screen_.Label2.FontPointSize};
    screen_.Label4.Caption.clear();
    screen_.Label10.Caption.clear();
    screen_.Label10.Visible = false;
    screen_.BtnRepeatUpload.Visible = true;
    screen_.BtnBackToStart.Visible = true;
}

}  // namespace uflash8
