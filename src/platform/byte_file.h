// Files addressed by byte, on the system's own calls. Every failure throws FileError naming the file and the
// system's reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "platform/file_error.h"

namespace flash410::platform {

class ReplacementFile;

// The system's handle of an open file: the descriptor on POSIX, the HANDLE's value on Windows.
using NativeFile = std::intptr_t;
inline constexpr NativeFile kNoFile = -1;

// An open file. The destructor closes a file that was not closed explicitly. Files the program makes anew
// come from ReplacementFile, so that nothing is ever written over in place; a log is only added to.
class ByteFile {
  public:
    // Opens an existing regular file. Anything else (a folder, a named pipe, a device) is refused
    // without waiting on it: such a file would hang or never end.
    static ByteFile OpenForReading(const std::filesystem::path& name);
    // Opens a file to add to its end, or creates it empty, for one writer at a time. On POSIX a file that
    // another writer holds this way, in this program or another, is refused with FileError::InUse(); on
    // Windows others may only read it meanwhile, and the system refuses to open it for a second writer.
    static ByteFile OpenForAppending(const std::filesystem::path& name);

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
    // Writes at the current position (at the end, for a file opened for appending) and moves it on.
    void Append(std::span<const std::uint8_t> bytes);
    std::uint64_t Size() const;
    // Waits until everything written has reached the disk.
    void Flush();
    // Closes now, so that a failure to close is reported rather than lost. The file counts as closed
    // afterwards even when this throws.
    void Close();

  private:
    friend class ReplacementFile;

    // name is the name the operator knows the file by; failures are reported under it.
    ByteFile(NativeFile handle, std::filesystem::path name);
    [[noreturn]] void Fail(FileAction action, std::string reason) const;
    // The system's part of closing, for the destructor and the moves: whatever it says is of no use there.
    static void Release(NativeFile handle) noexcept;

    NativeFile handle_ = kNoFile;
    std::filesystem::path name_;
};

}  // namespace flash410::platform
