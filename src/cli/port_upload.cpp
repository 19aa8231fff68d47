#include "cli/port_upload.h"

#include "capture/time_of_day.h"
#include "flash410_version.h"
#include "upload/modem_line.h"
#include "upload/progress_texts.h"
#include "upload/time_texts.h"

namespace flash410::cli {

namespace {

using upload::UploadOutcome;

std::string BlockText(std::int32_t blocksSent, std::int32_t blockCount) {
    return "block " + std::to_string(blocksSent) + " of " + std::to_string(blockCount);
}

// A reply quoted in a message: its line ends and other control characters shown, not obeyed.
std::string Printable(const std::string& text) {
    std::string shown;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte == '\r' || byte == '\n') {
            continue;
        }
        shown += byte < 0x20 || byte >= 0x7F ? '.' : ch;
    }
    return shown;
}

}  // namespace

serial::PortMap PortUploadSettings::MakePortMap() const {
    serial::PortMap portMap(LinkFolder);
    if (!Port.DevicePath.empty()) {
        portMap.AssignDevice(Port.Number, Port.DevicePath);
    }
    return portMap;
}

PortUpload::PortUpload(PortUploadSettings settings, serial::PostToUiThread postToLoop,
                       history::UploadRecorder::Clock wallClock)
    : settings_(std::move(settings)), recorder_(std::move(wallClock)) {
    if (settings_.CapturePath) {
        capture_ =
            std::make_unique<capture::CaptureLog>(*settings_.CapturePath, capture::LocalTimeOfDaySeconds);
    }

    serial::SerialEnvironment environment;
    environment.postToUiThread = std::move(postToLoop);
    environment.showErrorBox = [this](const std::string& text) {
        serialErrors_ += (serialErrors_.empty() ? "" : " ") + text;
    };
    serial_ = std::make_unique<serial::SerialPort>(std::move(environment));
    serial_->SetPortMap(settings_.MakePortMap());
    upload::ConfigureLine(*serial_);
    serial_->OnRxData = [this](serial::SerialPort*) { driver_->Receive(); };

    upload::UploadCapture capture;
    if (capture_) {
        capture.Enabled = [this] { return capture_->CaptureEnabled(); };
        capture.WriteLine = [this](const std::string& text, const std::string& tag) {
            WriteCapture(text, tag);
        };
    }
    driver_ = std::make_unique<upload::UploadDriver>(upload::UploadEngineEnvironment{
        serial_.get(), capture::LocalTimeOfDaySeconds, std::move(capture),
        [this](const upload::UploadEvent& event) { OnEvent(event); }, settings_.Limits});
}

PortUpload::~PortUpload() {
    Stop();
}

std::optional<std::string> PortUpload::OpenCapture() {
    if (!capture_) {
        return std::nullopt;
    }
    try {
        capture_->ToggleCapture();
    } catch (const capture::CaptureError& error) {
        return error.what();
    }
    return std::nullopt;
}

void PortUpload::Begin() {
    upload::UploadEngine& engine = driver_->Engine();
    engine.UseImage(settings_.Image, settings_.ImagePath, settings_.BlockCount);
    engine.OpenPort(static_cast<std::uint8_t>(settings_.Port.Number), settings_.Baud);
    // Opening is synchronous: the engine's opening steps need no tick between them.
    while (!Ended() && driver_->State().Step != upload::DialogueStep::kIdle) {
        Tick();
    }
    if (portOpened_) {
        engine.StartUpload(settings_.Request);
    }
}

void PortUpload::Tick() {
    if (Ended()) {
        return;
    }
    driver_->Tick();
}

void PortUpload::Stop() {
    if (!Ended()) {
        driver_->Engine().Stop();
    }
    if (!Ended()) {  // the engine had no upload under way yet
        result_ = upload::UploadResult{};
    }
    serial_->SetActive(false);
    if (capture_) {
        try {
            capture_->CloseCapture();
        } catch (const capture::CaptureError& error) {
            warnings_ += error.what();
        }
    }
}

void PortUpload::OnEvent(const upload::UploadEvent& event) {
    namespace events = upload::events;
    if (const auto* report = std::get_if<events::PortReport>(&event)) {
        portOpened_ = report->Opened;
        if (!report->Opened) {
            failure_ = serialErrors_.empty() ? "Port did not open on " + settings_.Port.Name() + " at " +
                                                   std::to_string(report->Baudrate) + " baud"
                                             : serialErrors_;
        }
    } else if (std::holds_alternative<events::UploadStarting>(event)) {
        phase_ = PortPhase::kHandshake;
        recorder_.Started({"flash410-cli", kVersion, settings_.Port.Name(),
                           settings_.MakePortMap().ResolvedDevicePath(settings_.Port.Number),
                           settings_.AdapterSerial, settings_.ChosenFile, settings_.ImageSha256,
                           settings_.BlockCount, settings_.ChecksumText, settings_.Request, settings_.Baud,
                           settings_.CapturePath});
    } else if (std::holds_alternative<events::GoSent>(event)) {
        goSentAt_ = Clock::now();
        phase_ = PortPhase::kErasing;
    } else if (std::holds_alternative<events::BlockLoopStarted>(event)) {
        blocksStartedAt_ = Clock::now();
        phase_ = PortPhase::kBlocks;
    } else if (std::holds_alternative<events::UploadDoneSent>(event)) {
        phase_ = PortPhase::kFinishing;
    } else if (std::holds_alternative<events::ModemFailed>(event) && capture_) {
        capture_->DisableWithoutClosing();  // as the window: nothing more goes into the log
    } else if (const auto* ended = std::get_if<events::UploadEnded>(&event)) {
        EndUpload(ended->Result);
    }
    if (observer_) {
        observer_(event);
    }
}

void PortUpload::EndUpload(const upload::UploadResult& result) {
    result_ = result;
    record_ = recorder_.Ended(result);
    phase_ = PortPhase::kEnded;
    endedAt_ = Clock::now();
    driver_->Engine().ReleaseImage();
    serial_->SetActive(false);
}

void PortUpload::WriteCapture(const std::string& text, const std::string& tag) {
    if (!capture_) {
        return;
    }
    try {
        capture_->WriteCaptureLine(text, tag);
    } catch (const capture::CaptureError& error) {
        warnings_ += error.what();  // the log has switched itself off; the upload goes on without it
    }
}

std::chrono::milliseconds PortUpload::TickInterval() const {
    return std::chrono::milliseconds(driver_->Engine().TickIntervalMs());
}

PortProgress PortUpload::Progress() const {
    PortProgress progress;
    progress.Phase = Ended() ? PortPhase::kEnded : phase_;
    progress.BlocksSent = driver_->State().BlocksSent;
    progress.BlockCount = settings_.BlockCount;
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
    if (!failure_.empty()) {
        return failure_;
    }
    const upload::UploadResult& result = *result_;
    const std::string at = " at " + BlockText(result.BlocksSent, settings_.BlockCount);
    switch (result.Outcome) {
        case UploadOutcome::kComplete:
            return "Upload complete. Time taken: " +
                   upload::ElapsedTimeText(result.StartTime, result.EndTime);
        case UploadOutcome::kModemFailed:
            return "Upload HALTED. Time taken: " + upload::ElapsedTimeText(result.StartTime, result.EndTime) +
                   " (the modem answered FAILED" + at + ")";
        case UploadOutcome::kUnexpectedReply:
            return "unexpected response: " + Printable(result.Detail);
        case UploadOutcome::kTimedOut:
            return "Timed out " + result.Detail + (result.BlocksSent > 0 ? at : std::string());
        case UploadOutcome::kConnectionLost:
            // The serial component says what happened to the device.
            return "Upload stopped" + at + ": " + result.Detail +
                   (serialErrors_.empty() ? std::string() : " " + serialErrors_);
        case UploadOutcome::kImageUnreadable:
        case UploadOutcome::kBlockRefused:
            return "Upload stopped" + at + ": " + result.Detail;
        case UploadOutcome::kStopped:
            return "Upload stopped by the operator" + at;
    }
    return {};
}

std::string PortUpload::TakeWarnings() {
    return std::exchange(warnings_, {});
}

}  // namespace flash410::cli
