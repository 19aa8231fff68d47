#pragma once

#include <memory>
#include <string>

#include "capture/capture_error.h"
#include "capture/capture_file.h"
#include "platform/time_of_day.h"

namespace flash410::capture {

inline constexpr char kCaptureFileName[] = "Capture.txt";

// The optional capture file "Capture.txt": one line per event, a time stamp with milliseconds, a tag and
// the text, so that a failed upload can be diagnosed afterwards. Runs on the user-interface thread only.
// A line equal to the one before it (without the stamp) is written once, so an idle sequencer leaves one
// state line rather than one per tick.
class CaptureLog {
  public:
    // path is the capture folder + "Capture.txt"; clock gives the time of day for the stamps.
    CaptureLog(std::string path, platform::TimeOfDayClock clock);
    CaptureLog(const CaptureLog&) = delete;
    CaptureLog& operator=(const CaptureLog&) = delete;
    // Closes the file if it is open, whatever CaptureEnabled says, so the buffered tail reaches the disk.
    ~CaptureLog();

    bool CaptureEnabled() const { return enabled_; }
    const std::string& path() const { return path_; }

    // A halted upload stops the logging but leaves the file open and the button reading as enabled.
    void DisableWithoutClosing() { enabled_ = false; }

    // The capture button. On: opens the file for appending (or creates it) and writes "[start]".
    // Off: closes the file. Throws CaptureError on failure, leaving capture off and the file closed.
    void ToggleCapture();

    // The Close button: capture off and the file closed; the button and the label are left as they are.
    void CloseCapture();

    // Writes stamp + translated tag and text while capture is on; ignored while it is off. Throws
    // CaptureError when the file cannot be written, leaving capture off and the file closed.
    void WriteCaptureLine(const std::string& text, const std::string& tag);

    // The texts the capture button and its status label show.
    std::string ButtonCaption() const;
    std::string StatusText() const;

  private:
    void SwitchOn();
    // Closes the file and shows capture as off; rethrows a failure to write out or close.
    void CloseAndShowOff();
    // Closes the file if one is open; it counts as closed even when this throws.
    void CloseFile();

    std::string path_;
    platform::TimeOfDayClock clock_;
    std::unique_ptr<CaptureFile> file_;  // open from switching on until closed
    bool enabled_ = false;
    // What the button and label show; it follows ToggleCapture, not every change of enabled_.
    bool shownEnabled_ = false;
    // The translated tag and text of the last line written; kept across switching capture off and on.
    std::string lastLineText_;
};

}  // namespace flash410::capture
