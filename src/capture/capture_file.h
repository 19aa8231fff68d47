#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace flash410::capture {

// The capture file, open for appending, written through a 128-byte output buffer. Written bytes are not
// forced to disk: the buffer goes out when it fills and when the file is closed. Failures throw
// CaptureError naming the file; after a failure the buffered bytes are dropped (they cannot be written).
class CaptureFile {
  public:
    static constexpr std::size_t kBufferSize = 128;

    // Opens the file for appending at its end, or creates it empty. A file another capture is writing to
    // (in this program or another) is refused.
    explicit CaptureFile(std::string path);
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;
    // Closes a file that was not closed explicitly; the buffered tail still goes to disk, and a failure
    // here is lost, since a destructor cannot report it.
    ~CaptureFile();

    void Write(std::string_view bytes);
    // Writes the buffer out and closes the file; the file is closed afterwards even when this throws.
    void Close();
    bool IsOpen() const { return handle_ != kNoFile; }

  private:
    // The system's handle: the descriptor on POSIX, the HANDLE's value on Windows.
    using NativeFile = std::intptr_t;
    static constexpr NativeFile kNoFile = -1;

    // Writes the buffer out; returns 0 or the system's error number. On failure the buffered bytes are
    // dropped, so a later close does not try them again.
    int WriteOutBuffer() noexcept;
    // "Cannot <action> the capture file <path>: <the system's words for error>".
    std::string FailureText(const char* action, int error) const;

    std::string path_;
    NativeFile handle_ = kNoFile;
    std::array<char, kBufferSize> buffer_{};
    std::size_t buffered_ = 0;
};

}  // namespace flash410::capture
