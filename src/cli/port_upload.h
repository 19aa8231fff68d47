// One modem's upload from the command line: an upload session of its own, driven by the upload loop's ticks
// and by the replies as they arrive, and what the command line shows of it: its phase and pace, its exit
// status and its last line.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "cli/cli_commands.h"
#include "cli/upload_options.h"
#include "history/upload_recorder.h"
#include "image/upload_image.h"
#include "serial/ui_call.h"
#include "session/upload_session.h"
#include "upload/upload_engine.h"

namespace flash410::cli {

struct PortUploadSettings {
    PortTarget Port;
    std::int32_t Baud = 38400;
    upload::UploadRequest Request = upload::UploadRequest::kBulk;
    upload::UploadLimits Limits;
    session::OfferedImage Image;  // what is sent, held since it was checked
    std::optional<std::string> CapturePath;
    std::string LinkFolder;        // where the ports/comN links are looked for
    std::string HistoryFile;       // empty: no history is kept
    bool RecordUnanswered = true;  // an upload that no modem answered goes to the history too
    std::optional<std::string> AdapterSerial;

    // The port as the session names it.
    session::PortChoice Choice() const;
    // The device the port stands for: the path given, or the one the COM number is mapped to.
    std::string DevicePath() const {
        return session::PortMapFor(LinkFolder, Choice()).DevicePath(Port.Number);
    }
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

    // Every session event of this port, as it happens, for a report that follows them; set before Begin.
    void ObserveEvents(session::SessionEventSink observer) { observer_ = std::move(observer); }
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
    // The port did not open: no upload began.
    bool OpenFailed() const { return !failure_.empty(); }
    // The modem answered READY and was sent GO: from here on the upload changes its flash.
    bool ModemAnswered() const { return goSentAt_.has_value(); }
    // How the upload ended; nothing before its end or for a port that did not open.
    std::optional<upload::UploadOutcome> Outcome() const {
        return result_ ? std::optional(result_->Outcome) : std::nullopt;
    }
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
    // Problems besides the upload itself, said once each: the capture file's, and the history's.
    std::string TakeWarnings();
    std::string TakeHistoryProblems();

  private:
    void OnEvent(const session::SessionEvent& event);

    PortUploadSettings settings_;
    session::SessionEventSink observer_;
    std::unique_ptr<session::UploadSession> session_;
    std::optional<history::UploadRecord> record_;
    PortPhase phase_ = PortPhase::kOpening;
    bool portOpened_ = false;
    std::optional<Clock::time_point> goSentAt_;
    std::optional<Clock::time_point> blocksStartedAt_;
    Clock::time_point endedAt_{};
    std::optional<upload::UploadResult> result_;
    std::string finalText_;
    // Why the upload could not begin: the port did not open.
    std::string failure_;
    std::string warnings_;
    std::string historyProblems_;
};

}  // namespace flash410::cli
