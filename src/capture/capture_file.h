#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/byte_file.h"

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
    bool IsOpen() const { return file_.IsOpen(); }

  private:
    // Writes the buffer out. The buffered bytes are dropped first, so that after a failure a later close
    // does not try them again. Throws platform::FileError.
    void WriteOutBuffer();

    std::string path_;
    platform::ByteFile file_;
    std::array<std::uint8_t, kBufferSize> buffer_{};
    std::size_t buffered_ = 0;
};

}  // namespace flash410::capture
