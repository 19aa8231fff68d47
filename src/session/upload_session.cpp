#include "session/upload_session.h"

#include <stdexcept>
#include <utility>

#include "flash410_version.h"
#include "history/upload_history.h"
#include "platform/sha256.h"
#include "serial/serial_port.h"
#include "upload/modem_line.h"

namespace flash410::session {

serial::PortMap PortMapFor(const std::string& linkFolder, const PortChoice& port) {
    serial::PortMap portMap(linkFolder);
    if (!port.DevicePath.empty()) {
        portMap.AssignDevice(port.Number, port.DevicePath);
    }
    return portMap;
}

UploadSession::UploadSession(SessionEnvironment environment)
    : environment_(std::move(environment)),
      capture_(environment_.CapturePath
                   ? std::make_unique<capture::CaptureLog>(*environment_.CapturePath, environment_.Clock)
                   : nullptr),
      serialPort_(environment_.Line ? nullptr
                                    : std::make_unique<serial::SerialPort>(serial::SerialEnvironment{
                                          environment_.PostToUiThread,
                                          [this](const std::string& text) {
                                              lineErrors_ += (lineErrors_.empty() ? "" : " ") + text;
                                              if (environment_.LineError) {
                                                  environment_.LineError(text);
                                              }
                                          },
                                          {}})),
      line_(environment_.Line ? environment_.Line : serialPort_.get()),
      engine_({line_, environment_.Clock,
               upload::UploadCapture{
                   [this] { return CaptureEnabled(); },
                   [this](const std::string& text, const std::string& tag) { WriteCaptureLine(text, tag); }},
               [this](const upload::UploadEvent& event) { OnEngineEvent(event); }, environment_.Limits}),
      recorder_(environment_.WallClock ? environment_.WallClock : [] { return history::WallClock::now(); }) {
    if (serialPort_) {
        upload::ConfigureLine(*serialPort_);
        serialPort_->OnRxData = [this](serial::SerialPort*) { Receive(); };
    }
}

UploadSession::~UploadSession() {
    // Nothing more is told to a front end that is going: the port closes and the capture file is written
    // out as their owners go.
    environment_.Events = nullptr;
    environment_.Warning = nullptr;
    engine_.Stop();
}

void UploadSession::OpenPort(const PortChoice& port, std::int32_t baud) {
    port_ = port;
    lineErrors_.clear();
    if (serialPort_) {
        serialPort_->SetPortMap(PortMapFor(environment_.LinkFolder, port));
    }
    engine_.OpenPort(port.Number, baud);
}

void UploadSession::UseImage(OfferedImage image) {
    // The history goes without the digest where the system cannot make one; the upload does not need it.
    try {
        imageSha256_ = image.Bytes ? platform::Sha256Hex(*image.Bytes) : std::string();
    } catch (const std::runtime_error& error) {
        imageSha256_.clear();
        Warn(SideProblem::kHistory, error.what());
    }
    image_ = std::move(image);
    engine_.UseImage(image_.Bytes, image_.ImagePath, image_.BlockCount);
}

void UploadSession::ReleaseImage() {
    image_.Bytes.reset();
    engine_.ReleaseImage();
}

void UploadSession::StartUpload(upload::UploadRequest request, std::optional<std::string> adapterSerial) {
    request_ = request;
    adapterSerial_ = std::move(adapterSerial);
    engine_.StartUpload(request);
}

void UploadSession::ReturnToStart() {
    engine_.ReturnToStart();
    line_->SetActive(false);
}

void UploadSession::Close() {
    engine_.Stop();
    line_->SetActive(false);
    if (capture_) {
        // Closing writes out the buffered tail, whatever CaptureEnabled says by now.
        try {
            capture_->CloseCapture();
        } catch (const capture::CaptureError& error) {
            Warn(SideProblem::kCaptureFile, error.what());
        }
    }
}

void UploadSession::Tick() {
    engine_.Tick();
}

void UploadSession::Receive() {
    engine_.Receive(withinTick_ ? upload::Arrival::kWithinTick : upload::Arrival::kBetweenTicks);
}

void UploadSession::WriteCaptureLine(const std::string& text, const std::string& tag) {
    if (!capture_) {
        return;
    }
    try {
        capture_->WriteCaptureLine(text, tag);
    } catch (const capture::CaptureError& error) {
        Warn(SideProblem::kCaptureFile,
             error.what());  // the log has switched itself off; the upload goes on without it
    }
}

void UploadSession::OnEngineEvent(const upload::UploadEvent& event) {
    namespace events = upload::events;
    if (std::holds_alternative<events::UploadStarting>(event)) {
        goSent_ = false;
        RecordStart();
    } else if (std::holds_alternative<events::GoSent>(event)) {
        goSent_ = true;
    } else if (std::holds_alternative<events::ModemFailed>(event) && capture_) {
        // The log stays open for what the modem still says, but nothing more is written to it.
        capture_->DisableWithoutClosing();
    }
    Emit(std::visit([](const auto& happened) { return SessionEvent(happened); }, event));
    if (const auto* ended = std::get_if<events::UploadEnded>(&event)) {
        Conclude(ended->Result);
    }
}

void UploadSession::RecordStart() {
    recorder_.Started({
        .Program = environment_.Program,
        .Version = kVersion,
        .Port = port_.Name,
        .Device = PortMapFor(environment_.LinkFolder, port_).ResolvedDevicePath(port_.Number),
        .AdapterSerial = adapterSerial_,
        .FilePath = image_.ChosenFile,
        .ImageSha256 = imageSha256_,
        .BlockCount = image_.BlockCount,
        .ImageChecksum = image_.ChecksumText,
        .Request = history::RequestName(request_),
        .Baud = engine_.State().UploadBaud,
        .CaptureFile = CaptureEnabled() ? std::optional<std::string>(capture_->path()) : std::nullopt,
    });
}

void UploadSession::Conclude(const upload::UploadResult& result) {
    UploadConcluded concluded{result, DescribeEnd(result, image_.BlockCount, lineErrors_),
                              recorder_.Ended(result)};
    if (concluded.Record && !environment_.HistoryFile.empty() && (goSent_ || environment_.RecordUnanswered)) {
        // Said after the upload's end; the upload's result stands as it is.
        if (const std::optional<std::string> problem =
                history::AppendToHistory(environment_.HistoryFile, *concluded.Record)) {
            Warn(SideProblem::kHistory, *problem);
        }
    }
    Emit(concluded);
}

void UploadSession::Emit(const SessionEvent& event) {
    if (environment_.Events) {
        environment_.Events(event);
    }
}

void UploadSession::Warn(SideProblem problem, const std::string& text) {
    if (environment_.Warning) {
        environment_.Warning(problem, text);
    }
}

}  // namespace flash410::session
