#include "capture/capture_file.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <utility>

#include "capture/capture_error.h"
#include "platform/utf8_path.h"

namespace flash410::capture {
namespace {

// "Cannot <action> the capture file <path>: <the system's words>".
CaptureError Failure(const platform::FileError& failure, const std::string& path) {
    const std::string action = failure.Action() == platform::FileAction::kWrite
                                   ? "write to"
                                   : platform::ActionVerb(failure.Action());
    return CaptureError("Cannot " + action + " the capture file " + path + ": " + failure.Reason());
}

platform::ByteFile OpenCaptureFile(const std::string& path) {
    try {
        // The name is read as the system's narrow calls read it (in the ANSI code page on Windows).
        return platform::ByteFile::OpenForAppending(platform::PathFromUtf8(path));
    } catch (const platform::FileError& failure) {
        // One capture a file: two uploads writing into one file would mix their lines beyond reading.
        if (failure.InUse()) {
            throw CaptureError("Cannot open the capture file " + path +
                               ": another upload is writing to it; choose another file");
        }
        throw Failure(failure, path);
    }
}

}  // namespace

CaptureFile::CaptureFile(std::string path) : path_(std::move(path)), file_(OpenCaptureFile(path_)) {}

CaptureFile::~CaptureFile() {
    try {
        Close();
    } catch (const CaptureError&) {
        // Nothing can report it now; the file is closed all the same.
    }
}

void CaptureFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t count = std::min(bytes.size(), kBufferSize - buffered_);
        std::memcpy(buffer_.data() + buffered_, bytes.data(), count);
        buffered_ += count;
        bytes.remove_prefix(count);
        if (buffered_ == kBufferSize) {
            try {
                WriteOutBuffer();
            } catch (const platform::FileError& failure) {
                throw Failure(failure, path_);
            }
        }
    }
}

void CaptureFile::Close() {
    if (!file_.IsOpen()) {
        return;
    }
    std::optional<CaptureError> writeFailure;
    try {
        WriteOutBuffer();
    } catch (const platform::FileError& failure) {
        writeFailure = Failure(failure, path_);
    }
    try {
        file_.Close();
    } catch (const platform::FileError& failure) {
        // The bytes that did not reach the file say more than the close that failed after them.
        if (!writeFailure) {
            throw Failure(failure, path_);
        }
    }
    if (writeFailure) {
        throw *writeFailure;
    }
}

void CaptureFile::WriteOutBuffer() {
    file_.Append(std::span(buffer_.data(), std::exchange(buffered_, 0)));
}

}  // namespace flash410::capture
