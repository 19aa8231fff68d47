#include <windows.h>

#include <string>
#include <utility>

#include "capture/capture_error.h"
#include "capture/capture_file.h"

namespace flash410::capture {
namespace {

HANDLE Handle(std::intptr_t file) {
    return reinterpret_cast<HANDLE>(file);
}

// FormatMessage's words for the code, without the closing full stop and line end.
std::string WindowsReason(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string reason = length > 0 && text != nullptr ? std::string(text, length)
                                                       : "Error " + std::to_string(error);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ' ||
                               reason.back() == '.')) {
        reason.pop_back();
    }
    return reason;
}

}  // namespace

std::string CaptureFile::FailureText(const char* action, int error) const {
    return "Cannot " + std::string(action) + " the capture file " + path_ + ": " +
           WindowsReason(static_cast<DWORD>(error));
}

CaptureFile::CaptureFile(std::string path) : path_(std::move(path)) {
    // Appending: every write goes to the end, whatever else writes to the file meanwhile.
    // Shared for reading only: two uploads writing into one file would mix their lines beyond reading.
    const HANDLE handle = CreateFileA(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        throw CaptureError(FailureText("open", static_cast<int>(GetLastError())));
    }
    handle_ = reinterpret_cast<std::intptr_t>(handle);
}

void CaptureFile::Close() {
    if (handle_ == kNoFile) {
        return;
    }
    const int writeError = WriteOutBuffer();
    const DWORD closeError = CloseHandle(Handle(std::exchange(handle_, kNoFile))) != 0 ? 0 : GetLastError();
    if (writeError != 0) {
        throw CaptureError(FailureText("write to", writeError));
    }
    if (closeError != 0) {
        throw CaptureError(FailureText("close", static_cast<int>(closeError)));
    }
}

int CaptureFile::WriteOutBuffer() noexcept {
    std::size_t written = 0;
    while (written < buffered_) {
        DWORD count = 0;
        if (WriteFile(Handle(handle_), buffer_.data() + written, static_cast<DWORD>(buffered_ - written), &count,
                      nullptr) == 0 ||
            count == 0) {
            const DWORD error = GetLastError();
            buffered_ = 0;
            // A write that takes nothing without an error can only mean the disk is full.
            return static_cast<int>(count == 0 && error == ERROR_SUCCESS ? ERROR_DISK_FULL : error);
        }
        written += count;
    }
    buffered_ = 0;
    return 0;
}

}  // namespace flash410::capture
