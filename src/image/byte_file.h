#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace flash410::image {

class ReplacementFile;

// The system's handle of an open file: the descriptor on POSIX, the HANDLE's value on Windows.
using NativeFile = std::intptr_t;
inline constexpr NativeFile kNoFile = -1;

// An open file addressed by byte. Every failure throws PreparationError naming the file and the
// system's reason; the destructor closes a file that was not closed explicitly. New files are made
// through ReplacementFile, so that nothing is ever written over a file in place.
class ByteFile {
  public:
    // Opens an existing regular file. Anything else (a folder, a named pipe, a device) is refused
    // without waiting on it: such a file would hang or never end.
    static ByteFile OpenForReading(const std::filesystem::path& name);

    ByteFile(ByteFile&& other) noexcept;
    ByteFile& operator=(ByteFile&& other) noexcept;
    ByteFile(const ByteFile&) = delete;
    ByteFile& operator=(const ByteFile&) = delete;
    ~ByteFile();

    const std::filesystem::path& Name() const { return name_; }
    bool IsOpen() const { return handle_ != kNoFile; }

    // Reads the next bytes from the current position; returns 0 at the end of the file.
    std::size_t Read(std::span<std::uint8_t> buffer);
    // Reads at offset until the buffer is full or the file ends; returns the count read.
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer);
    void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    // Writes at the current position and moves it on.
    void Append(std::span<const std::uint8_t> bytes);
    std::uint64_t Size() const;
    // Waits until everything written has reached the disk.
    void Flush();
    // Closes now, so that a failure to close is reported rather than lost.
    void Close();

  private:
    friend class ReplacementFile;

    // name is the name the operator knows the file by; failures are reported under it.
    ByteFile(NativeFile handle, std::filesystem::path name);
    // error: the system's error number (errno on POSIX, GetLastError on Windows).
    [[noreturn]] void Fail(const char* action, int error) const;

    NativeFile handle_ = kNoFile;
    std::filesystem::path name_;
};

}  // namespace flash410::image
