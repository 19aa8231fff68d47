// One modem's upload from the command line: its own serial component, upload driver (with its engine) and
// capture log, driven by the upload loop's ticks and by the replies as they arrive.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "capture/capture_log.h"
#include "cli/cli_commands.h"
#include "cli/upload_options.h"
#include "history/upload_recorder.h"
#include "image/upload_image.h"
#include "serial/serial_port.h"
#include "upload/upload_driver.h"
#include "upload/upload_engine.h"

namespace flash410::cli {

struct PortUploadSettings {
    PortTarget Port;
    std::int32_t Baud = 38400;
    upload::UploadRequest Request = upload::UploadRequest::kBulk;
    upload::UploadLimits Limits;
    std::string ImagePath;
    image::UploadImageBytes Image;  // what is sent, held since it was checked
    std::int32_t BlockCount = 0;
    std::optional<std::string> CapturePath;
    std::string LinkFolder;  // where the ports/comN links are looked for
    // What the history record says of the upload besides the above.
    std::string ChosenFile;  // the firmware file named on the command line
    std::string ImageSha256;
    std::string ChecksumText;
    std::optional<std::string> AdapterSerial;

    // The port map as the port's serial component uses it: the device path given stands for the port.
    serial::PortMap MakePortMap() const;
    // The device the port stands for: the path given, or the one the COM number is mapped to.
    std::string DevicePath() const { return MakePortMap().DevicePath(Port.Number); }
};

// Where one port's upload stands, for the progress line.
enum class PortPhase { kOpening, kHandshake, kErasing, kBlocks, kFinishing, kEnded };

struct PortProgress {
    PortPhase Phase = PortPhase::kOpening;
    std::int32_t BlocksSent = 0;
    std::int32_t BlockCount = 0;
    // Since GO; zero before.
    std::chrono::steady_clock::duration Elapsed{};
    // Since the first block was asked for, which the rate is measured over; zero before.
    std::chrono::steady_clock::duration BlockTime{};
};

class PortUpload {
  public:
    using Clock = std::chrono::steady_clock;

    PortUpload(
        PortUploadSettings settings, serial::PostToUiThread postToLoop,
        history::UploadRecorder::Clock wallClock = [] { return history::WallClock::now(); });
    ~PortUpload();
    PortUpload(const PortUpload&) = delete;
    PortUpload& operator=(const PortUpload&) = delete;

    // Every engine event of this port, as it happens, for a report that follows them; set before Begin.
    void ObserveEvents(upload::UploadEventSink observer) { observer_ = std::move(observer); }
    // Switches the capture log on when one was asked for; what went wrong otherwise.
    std::optional<std::string> OpenCapture();
    // Opens the port and starts the upload; a port that does not open ends this port's upload at once.
    void Begin();
    // The timer's tick: the engine's next step.
    void Tick();
    // Ends an upload under way as stopped, closes the port and writes out the capture file; nothing is
    // sent after it.
    void Stop();

    bool Ended() const { return result_.has_value() || !failure_.empty(); }
    std::chrono::milliseconds TickInterval() const;
    PortProgress Progress() const;
    const PortTarget& Port() const { return settings_.Port; }
    // The program's exit status for this port; only once it has ended.
    int ExitStatus() const;
    // What happened, in the window's words where it has them; only once it has ended.
    std::string FinalText() const;
    // The history record of the upload, once one that began has ended; nothing for a port that did not
    // open.
    const std::optional<history::UploadRecord>& Record() const { return record_; }
    // Problems besides the upload itself (the capture file), said once each.
    std::string TakeWarnings();

  private:
    void OnEvent(const upload::UploadEvent& event);
    void WriteCapture(const std::string& text, const std::string& tag);
    void EndUpload(const upload::UploadResult& result);

    PortUploadSettings settings_;
    std::unique_ptr<capture::CaptureLog> capture_;
    std::unique_ptr<serial::SerialPort> serial_;
    std::unique_ptr<upload::UploadDriver> driver_;
    upload::UploadEventSink observer_;
    history::UploadRecorder recorder_;
    std::optional<history::UploadRecord> record_;
    PortPhase phase_ = PortPhase::kOpening;
    bool portOpened_ = false;
    std::optional<Clock::time_point> goSentAt_;
    std::optional<Clock::time_point> blocksStartedAt_;
    Clock::time_point endedAt_{};
    std::optional<upload::UploadResult> result_;
    // Why the upload could not begin: the port did not open.
    std::string failure_;
    std::string serialErrors_;  // what the serial component said, the window's error boxes
    std::string warnings_;
};

}  // namespace flash410::cli
