#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace uflash8 {

// The capture file, open for appending, written through a 128-byte output buffer. Written bytes are not
// forced to disk: the buffer goes out when it fills and when the file is closed. Failures throw
// CaptureError naming the file; after a failure the buffered bytes are dropped (they cannot be written).
class CaptureFile {
  public:
    static constexpr std::size_t kBufferSize = 128;

    // Opens the file for appending at its end, or creates it empty.
    explicit CaptureFile(std::string path);
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;
    // Closes a file that was not closed explicitly; the buffered tail still goes to disk, and a failure
    // here is lost, since a destructor cannot report it.
    ~CaptureFile();

    void Write(std::string_view bytes);
    // Writes the buffer out and closes the file; the file is closed afterwards even when this throws.
    void Close();
    bool IsOpen() const { return descriptor_ >= 0; }

  private:
    // Writes the buffer out; returns 0 or the system's error number. On failure the buffered bytes are
    // dropped, so a later close does not try them again.
    int WriteOutBuffer() noexcept;

    std::string path_;
    int descriptor_ = -1;
    std::array<char, kBufferSize> buffer_{};
    std::size_t buffered_ = 0;
};

}  // namespace uflash8
