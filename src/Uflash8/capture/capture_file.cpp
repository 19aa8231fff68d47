#include "capture_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "capture_error.h"

namespace uflash8 {
namespace {

std::string FailureText(const char* action, const std::string& path, int error) {
    return "Cannot " + std::string(action) + " the capture file " + path + ": " +
           std::generic_category().message(error);
}

}  // namespace

CaptureFile::CaptureFile(std::string path) : path_(std::move(path)) {
    do {
        descriptor_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    } while (descriptor_ < 0 && errno == EINTR);
    if (descriptor_ < 0) {
        throw CaptureError(FailureText("open", path_, errno));
    }
}

CaptureFile::~CaptureFile() {
    try {
        Close();
    } catch (const CaptureError&) {
        // Nothing can report it now; the descriptor is released all the same.
    }
}

void CaptureFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t count = std::min(bytes.size(), kBufferSize - buffered_);
        std::memcpy(buffer_.data() + buffered_, bytes.data(), count);
        buffered_ += count;
        bytes.remove_prefix(count);
        if (buffered_ == kBufferSize) {
            if (const int error = WriteOutBuffer(); error != 0) {
                throw CaptureError(FailureText("write to", path_, error));
            }
        }
    }
}

void CaptureFile::Close() {
    if (descriptor_ < 0) {
        return;
    }
    const int writeError = WriteOutBuffer();
    // close() is not retried after EINTR: on Linux the descriptor is released either way.
    const int closeResult = ::close(std::exchange(descriptor_, -1));
    const int closeError = closeResult == 0 ? 0 : errno;
    if (writeError != 0) {
        throw CaptureError(FailureText("write to", path_, writeError));
    }
    if (closeError != 0 && closeError != EINTR) {
        throw CaptureError(FailureText("close", path_, closeError));
    }
}

int CaptureFile::WriteOutBuffer() noexcept {
    std::size_t written = 0;
    while (written < buffered_) {
        const ssize_t count = ::write(descriptor_, buffer_.data() + written, buffered_ - written);
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

}  // namespace uflash8
