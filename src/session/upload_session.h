// UploadSession: one modem's upload as every front end runs it. It opens and sets up the serial line and
// hands what the line receives to the upload engine, drives the engine by the front end's ticks, applies
// the capture rule (a modem that answers FAILED ends the logging), records every upload that began in the
// history, and says how each ended in the words that the window and the command line both show. The front
// end gives it the port, the image and the operator's commands, and shows its events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "capture/capture_log.h"
#include "history/upload_record.h"
#include "history/upload_recorder.h"
#include "image/upload_image.h"
#include "platform/scope_exit.h"
#include "platform/time_of_day.h"
#include "serial/port_map.h"
#include "serial/serial_line.h"
#include "serial/serial_port.h"
#include "serial/serial_types.h"
#include "serial/ui_call.h"
#include "session/upload_words.h"
#include "upload/upload_engine.h"
#include "upload/upload_events.h"

namespace flash410::session {

// The session's last word on an upload, after the engine's UploadEnded: how it ended, in words, and the
// record the history was given.
struct UploadConcluded {
    upload::UploadResult Result;
    EndWords Words;
    // What the recorder made of the upload that began (and the history file was given, where there is one).
    std::optional<history::UploadRecord> Record;
};

namespace detail {
template <typename Events, typename Added>
struct AddEvent;
template <typename... Events, typename Added>
struct AddEvent<std::variant<Events...>, Added> {
    using Type = std::variant<Events..., Added>;
};
}  // namespace detail

// The engine's events as they happen, and UploadConcluded once the session has acted on an upload's end.
using SessionEvent = detail::AddEvent<upload::UploadEvent, UploadConcluded>::Type;
using SessionEventSink = std::function<void(const SessionEvent&)>;

// The port an upload goes through, as the front end names it.
struct PortChoice {
    serial::PortNumber Number = 0;
    // The device that the number stands for, when the front end was given it (a device path, a USB
    // adapter's port); empty: the one the port links or the system's mapping give.
    std::string DevicePath;
    // The port's name in the history and on the command line: "COM3", "/dev/ttyUSB0", "usb:A50285BI
    // (/dev/ttyUSB0)".
    std::string Name;
};

// The port map that finds the port's device: the links in the link folder, or the device the front end was
// given.
serial::PortMap PortMapFor(const std::string& linkFolder, const PortChoice& port);

// The upload image, held whole since it was checked or written (the bytes checked are the bytes sent),
// and what the history says of it.
struct OfferedImage {
    image::UploadImageBytes Bytes;
    std::string ImagePath;  // the upload image's name, for what the errors say
    std::int32_t BlockCount = 0;
    std::string ChecksumText;
    std::string ChosenFile;  // the firmware file the operator chose, as named
};

// What can go wrong beside the upload, which the upload survives.
enum class SideProblem {
    kCaptureFile,  // the capture file cannot be written: the log switches itself off
    kHistory,      // the upload cannot be recorded in full, or at all
};

struct SessionEnvironment {
    // The program the history names: "Flash410", "flash410-cli".
    std::string Program = {};
    // Where the ports/comN links are looked for.
    std::string LinkFolder = {};
    // Runs the serial port's notifications on the front end's thread.
    serial::PostToUiThread PostToUiThread = {};
    platform::TimeOfDayClock Clock = {};
    // The capture log's file; none for a front end without a log.
    std::optional<std::string> CapturePath = {};
    // The history file; empty: no history is kept.
    std::string HistoryFile = {};
    // Whether an upload that no modem answered (only the request went out) goes to the history: a station
    // that waits on its ports for modems to come keeps only the uploads of the modems that came.
    bool RecordUnanswered = true;
    upload::UploadLimits Limits = {};
    // The calendar's time for the history; the system's clock when empty.
    history::UploadRecorder::Clock WallClock = {};
    SessionEventSink Events = {};
    // What the serial component says went wrong, as it happens (the window shows it in an error box).
    std::function<void(const std::string& text)> LineError = {};
    // Said when it happens; the upload goes on or ends as it would.
    std::function<void(SideProblem problem, const std::string& text)> Warning = {};
    // Tests put a line of their own here in place of the serial port the session makes; they then hand
    // what it received to Receive() themselves.
    serial::SerialLine* Line = nullptr;
};

class UploadSession {
  public:
    explicit UploadSession(SessionEnvironment environment);
    ~UploadSession();
    UploadSession(const UploadSession&) = delete;
    UploadSession& operator=(const UploadSession&) = delete;

    // Opens the port at the baud over the next ticks; PortReport says whether it opened.
    void OpenPort(const PortChoice& port, std::int32_t baud);
    // The image the next upload sends; its digest is taken for the history.
    void UseImage(OfferedImage image);
    void ReleaseImage();
    // Begins an upload of the image in use; adapterSerial names the USB adapter behind the port, where
    // the front end knows it, for the history.
    void StartUpload(upload::UploadRequest request, std::optional<std::string> adapterSerial);
    // Back to the start: an upload under way ends as stopped, the port closes, and what was received goes.
    void ReturnToStart();
    // An upload under way ends as stopped and the port closes; the capture file is written out.
    void Close();

    // The timer's tick: the dialogue's next step.
    void Tick();
    // The front end's tick is under way until the guard goes: bytes received meanwhile (while the front
    // end lets its pending notifications through) are left to the tick's own step.
    [[nodiscard]] auto TickUnderWay() {
        withinTick_ = true;
        return platform::ScopeExit([this] { withinTick_ = false; });
    }
    bool WithinTick() const { return withinTick_; }
    // The line's receive notification.
    void Receive();

    // The capture log, which the front end switches on and off; nothing for a session without one.
    capture::CaptureLog* Capture() { return capture_ ? capture_.get() : nullptr; }
    bool CaptureEnabled() const { return capture_ && capture_->CaptureEnabled(); }
    // A line of the front end's own in the capture log (its steps between the dialogue's).
    void WriteCaptureLine(const std::string& text, const std::string& tag);

    const upload::DialogueState& State() const { return engine_.State(); }
    // The port last asked to open.
    const PortChoice& Port() const { return port_; }
    std::int32_t TickIntervalMs() const { return engine_.TickIntervalMs(); }
    std::int32_t Baudrate() const { return line_->Baudrate(); }
    bool PortOpen() const { return line_->Active(); }
    // The serial port the session made, for what it counts; none when a test gave the line.
    const serial::SerialPort* SerialPortMade() const { return serialPort_.get(); }
    // What the serial component has said since the port was last asked to open, one sentence after another.
    const std::string& LineErrors() const { return lineErrors_; }
    // The one buffer in which blocks are built for the upload image and from which they are sent.
    image::BlockBuffer& Blocks() { return engine_.Blocks(); }

  private:
    void OnEngineEvent(const upload::UploadEvent& event);
    void RecordStart();
    void Conclude(const upload::UploadResult& result);
    void Emit(const SessionEvent& event);
    void Warn(SideProblem problem, const std::string& text);

    SessionEnvironment environment_;
    std::unique_ptr<capture::CaptureLog> capture_;
    std::unique_ptr<serial::SerialPort> serialPort_;
    serial::SerialLine* line_ = nullptr;
    upload::UploadEngine engine_;
    history::UploadRecorder recorder_;
    PortChoice port_;
    OfferedImage image_;
    std::string imageSha256_;
    upload::UploadRequest request_ = upload::UploadRequest::kBulk;
    std::optional<std::string> adapterSerial_;
    bool goSent_ = false;
    std::string lineErrors_;
    bool withinTick_ = false;
};

}  // namespace flash410::session
