#include "capture/capture_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "capture/capture_error.h"

namespace flash410::capture {
namespace {

int Fd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

}  // namespace

std::string CaptureFile::FailureText(const char* action, int error) const {
    return "Cannot " + std::string(action) + " the capture file " + path_ + ": " +
           std::generic_category().message(error);
}

CaptureFile::CaptureFile(std::string path) : path_(std::move(path)) {
    do {
        handle_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    } while (handle_ < 0 && errno == EINTR);
    if (handle_ < 0) {
        throw CaptureError(FailureText("open", errno));
    }
    // One capture a file: two uploads writing into one file would mix their lines beyond reading.
    if (::flock(Fd(handle_), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(Fd(std::exchange(handle_, kNoFile)));
        throw CaptureError(error == EWOULDBLOCK ? "Cannot open the capture file " + path_ +
                                                      ": another upload is writing to it; choose another file"
                                                : FailureText("lock", error));
    }
}

void CaptureFile::Close() {
    if (handle_ == kNoFile) {
        return;
    }
    const int writeError = WriteOutBuffer();
    // close() is not retried after EINTR: on Linux the descriptor is released either way.
    const int closeResult = ::close(Fd(std::exchange(handle_, kNoFile)));
    const int closeError = closeResult == 0 ? 0 : errno;
    if (writeError != 0) {
        throw CaptureError(FailureText("write to", writeError));
    }
    if (closeError != 0 && closeError != EINTR) {
        throw CaptureError(FailureText("close", closeError));
    }
}

int CaptureFile::WriteOutBuffer() noexcept {
    std::size_t written = 0;
    while (written < buffered_) {
        const ssize_t count = ::write(Fd(handle_), buffer_.data() + written, buffered_ - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            buffered_ = 0;
            // A write that takes nothing without an error can only mean the device is full.
            return count < 0 ? errno : ENOSPC;
        }
        written += static_cast<std::size_t>(count);
    }
    buffered_ = 0;
    return 0;
}

}  // namespace flash410::capture
