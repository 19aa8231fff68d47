#include "cli/port_upload.h"

#include "platform/time_of_day.h"

namespace flash410::cli {

using upload::UploadOutcome;

session::PortChoice PortUploadSettings::Choice() const {
    return {static_cast<serial::PortNumber>(Port.Number), Port.DevicePath, Port.Name()};
}

PortUpload::PortUpload(PortUploadSettings settings, serial::PostToUiThread postToLoop,
                       history::UploadRecorder::Clock wallClock)
    : settings_(std::move(settings)),
      session_(std::make_unique<session::UploadSession>(session::SessionEnvironment{
          .Program = "flash410-cli",
          .LinkFolder = settings_.LinkFolder,
          .PostToUiThread = std::move(postToLoop),
          .Clock = platform::LocalTimeOfDaySeconds,
          .CapturePath = settings_.CapturePath,
          .HistoryFile = settings_.HistoryFile,
          .RecordUnanswered = settings_.RecordUnanswered,
          .Limits = settings_.Limits,
          .WallClock = std::move(wallClock),
          .Events = [this](const session::SessionEvent& event) { OnEvent(event); },
          .LineError = {},  // said with the port's end, as no box can say it
          .Warning =
              [this](session::SideProblem problem, const std::string& text) {
                  std::string& said =
                      problem == session::SideProblem::kHistory ? historyProblems_ : warnings_;
                  said += (said.empty() ? "" : " ") + text;
              },
      })) {}

PortUpload::~PortUpload() {
    Stop();
}

std::optional<std::string> PortUpload::OpenCapture() {
    capture::CaptureLog* capture = session_->Capture();
    if (capture == nullptr) {
        return std::nullopt;
    }
    try {
        capture->ToggleCapture();
    } catch (const capture::CaptureError& error) {
        return error.what();
    }
    return std::nullopt;
}

void PortUpload::Begin() {
    session_->UseImage(settings_.Image);
    session_->OpenPort(settings_.Choice(), settings_.Baud);
    // Opening is synchronous: the engine's opening steps need no tick between them.
    while (!Ended() && session_->State().Step != upload::DialogueStep::kIdle) {
        Tick();
    }
    if (portOpened_) {
        session_->StartUpload(settings_.Request, settings_.AdapterSerial);
    }
}

void PortUpload::Tick() {
    if (Ended()) {
        return;
    }
    session_->Tick();
}

void PortUpload::Stop() {
    session_->Close();
    if (!Ended()) {  // the engine had no upload under way yet
        result_ = upload::UploadResult{};
        finalText_ = session::DescribeEnd(*result_, settings_.Image.BlockCount, {}).Line;
    }
}

void PortUpload::OnEvent(const session::SessionEvent& event) {
    namespace events = upload::events;
    if (const auto* report = std::get_if<events::PortReport>(&event)) {
        portOpened_ = report->Opened;
        if (!report->Opened) {
            failure_ = session_->LineErrors().empty()
                           ? "Port did not open on " + settings_.Port.Name() + " at " +
                                 std::to_string(report->Baudrate) + " baud"
                           : session_->LineErrors();
        }
    } else if (std::holds_alternative<events::UploadStarting>(event)) {
        phase_ = PortPhase::kHandshake;
    } else if (std::holds_alternative<events::GoSent>(event)) {
        goSentAt_ = Clock::now();
        phase_ = PortPhase::kErasing;
    } else if (std::holds_alternative<events::BlockLoopStarted>(event)) {
        blocksStartedAt_ = Clock::now();
        phase_ = PortPhase::kBlocks;
    } else if (std::holds_alternative<events::UploadDoneSent>(event)) {
        phase_ = PortPhase::kFinishing;
    } else if (const auto* concluded = std::get_if<session::UploadConcluded>(&event)) {
        result_ = concluded->Result;
        finalText_ = concluded->Words.Line;
        record_ = concluded->Record;
        phase_ = PortPhase::kEnded;
        endedAt_ = Clock::now();
        session_->ReleaseImage();
        session_->Close();  // the port is done with: nothing more goes to this modem
    }
    if (observer_) {
        observer_(event);
    }
}

std::chrono::milliseconds PortUpload::TickInterval() const {
    return std::chrono::milliseconds(session_->TickIntervalMs());
}

PortProgress PortUpload::Progress() const {
    PortProgress progress;
    progress.Phase = Ended() ? PortPhase::kEnded : phase_;
    progress.BlocksSent = session_->State().BlocksSent;
    progress.BlockCount = settings_.Image.BlockCount;
    const Clock::time_point now = Ended() ? endedAt_ : Clock::now();
    if (goSentAt_) {
        progress.Elapsed = now - *goSentAt_;
    }
    if (blocksStartedAt_) {
        progress.BlockTime = now - *blocksStartedAt_;
    }
    return progress;
}

int PortUpload::ExitStatus() const {
    if (!failure_.empty()) {
        return kExitPortUnavailable;
    }
    switch (result_->Outcome) {
        case UploadOutcome::kComplete:
            return kExitSuccess;
        case UploadOutcome::kTimedOut:
            return kExitTimedOut;
        case UploadOutcome::kStopped:
            return kExitStopped;
        case UploadOutcome::kModemFailed:
        case UploadOutcome::kUnexpectedReply:
        case UploadOutcome::kConnectionLost:
        case UploadOutcome::kImageUnreadable:
        case UploadOutcome::kBlockRefused:
            return kExitFailure;
    }
    return kExitFailure;
}

std::string PortUpload::FinalText() const {
    return failure_.empty() ? finalText_ : failure_;
}

std::string PortUpload::TakeWarnings() {
    return std::exchange(warnings_, {});
}

std::string PortUpload::TakeHistoryProblems() {
    return std::exchange(historyProblems_, {});
}

}  // namespace flash410::cli
