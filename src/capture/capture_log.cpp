#include "capture/capture_log.h"

#include <memory>
#include <stdexcept>
#include <utility>

#include "capture/capture_stamp.h"
#include "capture/capture_text.h"

namespace flash410::capture {
namespace {

constexpr const char* kLineEnd = "\r\n";

}  // namespace

CaptureLog::CaptureLog(std::string path, platform::TimeOfDayClock clock)
    : path_(std::move(path)), clock_(std::move(clock)) {
    if (!clock_) {
        throw std::invalid_argument("CaptureLog needs a clock for its time stamps");
    }
}

// The file's own destructor writes out the buffer and closes it.
CaptureLog::~CaptureLog() = default;

void CaptureLog::ToggleCapture() {
    if (enabled_) {
        enabled_ = false;
        CloseAndShowOff();
        return;
    }
    SwitchOn();
}

void CaptureLog::SwitchOn() {
    // After a halted upload the file is still open. It is written out and closed, then opened anew like
    // every other switch-on: nothing buffered is lost, the new "[start]" follows it, and a file the
    // operator has moved away meanwhile is created again instead of being written behind his back.
    if (file_) {
        CloseAndShowOff();
    }
    try {
        file_ = std::make_unique<CaptureFile>(path_);
        file_->Write(std::string("[start]") + kLineEnd);
    } catch (const CaptureError&) {
        file_.reset();
        shownEnabled_ = false;
        throw;
    }
    enabled_ = true;
    shownEnabled_ = true;
}

void CaptureLog::CloseCapture() {
    enabled_ = false;
    CloseFile();
}

void CaptureLog::CloseAndShowOff() {
    shownEnabled_ = false;
    CloseFile();
}

void CaptureLog::CloseFile() {
    // Taken out first, so the file counts as closed even when writing out its tail fails.
    const std::unique_ptr<CaptureFile> closing = std::exchange(file_, nullptr);
    if (closing) {
        closing->Close();
    }
}

void CaptureLog::WriteCaptureLine(const std::string& text, const std::string& tag) {
    if (!enabled_) {
        return;
    }
    std::string translated = TranslateCaptureText(tag + text);
    if (translated.empty() || translated == lastLineText_) {
        return;
    }
    const std::string line = CaptureStamp(clock_) + translated + kLineEnd;
    try {
        file_->Write(line);
    } catch (const CaptureError&) {
        // A file that cannot be written is given up, so the program goes on without capture.
        enabled_ = false;
        file_.reset();
        shownEnabled_ = false;
        throw;
    }
    lastLineText_ = std::move(translated);
}

std::string CaptureLog::ButtonCaption() const {
    return shownEnabled_ ? "&Disable Capture File" : "&Enable Capture File";
}

std::string CaptureLog::StatusText() const {
    return shownEnabled_ ? "Enabled" : "Disabled";
}

}  // namespace flash410::capture
