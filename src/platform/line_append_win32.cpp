// FILE_APPEND_DATA without FILE_WRITE_DATA makes every write go to the file's end, as O_APPEND does, and
// the sharing lets other programs append and read at the same time. Wine (and some network file systems)
// carry such a write out as "find the end, then write there", so that two programs appending at once can
// write over each other's line: the writers also take turns by a lock on one byte far beyond any
// history's end, which keeps no reader out.
#include <windows.h>

#include "platform/line_append.h"
#include "platform/system_error_text_win32.h"
#include "platform/unique_handle_win32.h"
#include "platform/utf8_path.h"

namespace flash410::platform {

namespace {

std::string LastErrorText() {
    return WindowsErrorText(GetLastError());
}

// Whether the file's last byte is something other than a line end; false for an empty file.
bool EndsInsideLine(HANDLE file) {
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) == 0 || size.QuadPart == 0) {
        return false;
    }
    OVERLAPPED at{};
    const auto last = static_cast<std::uint64_t>(size.QuadPart - 1);
    at.Offset = static_cast<DWORD>(last & 0xFFFFFFFFU);
    at.OffsetHigh = static_cast<DWORD>(last >> 32);
    char byte = '\n';
    DWORD read = 0;
    return ReadFile(file, &byte, 1, &read, &at) != 0 && read == 1 && byte != '\n';
}

// An exclusive lock on the byte where the writers meet, held while one line is appended. Locking can fail
// only on a file system without locks; the line is written then all the same.
class AppendTurn {
  public:
    explicit AppendTurn(HANDLE file) : file_(file) {
        place_.OffsetHigh = kTurnOffsetHigh;
        locked_ = LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &place_) != 0;
    }
    ~AppendTurn() {
        if (locked_) {
            UnlockFileEx(file_, 0, 1, 0, &place_);
        }
    }
    AppendTurn(const AppendTurn&) = delete;
    AppendTurn& operator=(const AppendTurn&) = delete;

  private:
    static constexpr DWORD kTurnOffsetHigh = 0x7FFFFFFF;
    HANDLE file_;
    OVERLAPPED place_{};
    bool locked_ = false;
};

}  // namespace

std::optional<std::string> AppendLine(const std::string& file, std::string_view line) {
    const UniqueHandle handle(CreateFileW(PathFromUtf8(file).c_str(), FILE_APPEND_DATA | FILE_READ_DATA,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) {
        return "cannot open " + file + ": " + LastErrorText();
    }
    const AppendTurn turn(handle.get());
    std::string bytes = EndsInsideLine(handle.get()) ? "\n" : "";
    bytes += line;
    DWORD written = 0;
    if (WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) == 0) {
        return "cannot write to " + file + ": " + LastErrorText();
    }
    if (written < bytes.size()) {
        // The rest is not written after it: another program may have appended meanwhile.
        DWORD closed = 0;
        const bool lineClosed = WriteFile(handle.get(), "\n", 1, &closed, nullptr) != 0 && closed == 1;
        return "cannot write to " + file + ": only " + std::to_string(written) + " of " +
               std::to_string(bytes.size()) + " bytes written: " +
               (lineClosed ? std::string("the disk had no room for the rest") : LastErrorText());
    }
    if (FlushFileBuffers(handle.get()) == 0) {
        return "cannot write to " + file + ": " + LastErrorText();
    }
    return std::nullopt;
}

}  // namespace flash410::platform
