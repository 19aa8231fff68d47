#include <windows.h>

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

#include "platform/byte_file.h"
#include "platform/file_type_win32.h"
#include "platform/system_error_text_win32.h"

namespace flash410::platform {
namespace {

// One ReadFile or WriteFile moves at most this much; larger spans take several calls.
constexpr std::size_t kLargestTransfer = 1U << 30;

HANDLE Handle(NativeFile file) {
    return reinterpret_cast<HANDLE>(file);
}

DWORD TransferLength(std::size_t length) {
    return static_cast<DWORD>(std::min(length, kLargestTransfer));
}

OVERLAPPED AtOffset(std::uint64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFU);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

// Why a write took nothing: a write that took nothing without an error can only mean the disk is full.
DWORD WriteError(DWORD count) {
    const DWORD error = GetLastError();
    return count == 0 && error == ERROR_SUCCESS ? ERROR_DISK_FULL : error;
}

}  // namespace

ByteFile ByteFile::OpenForReading(const std::filesystem::path& name) {
    // Backup semantics let a folder open too, so that it is refused by its kind rather than as "access
    // denied"; others may go on using the file meanwhile.
    const HANDLE handle =
        CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        throw FileError(FileAction::kOpen, name, WindowsErrorText(GetLastError()));
    }
    ByteFile file(reinterpret_cast<NativeFile>(handle), name);
    BY_HANDLE_FILE_INFORMATION information{};
    const DWORD type = GetFileType(handle);
    if (type == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &information) == 0) {
        file.Fail(FileAction::kRead, WindowsErrorText(GetLastError()));
    }
    if (std::string reason = NotARegularFileReason(type, information.dwFileAttributes); !reason.empty()) {
        file.Fail(FileAction::kRead, std::move(reason));
    }
    return file;
}

ByteFile ByteFile::OpenForAppending(const std::filesystem::path& name) {
    // Appending: every write goes to the end, whatever else writes to the file meanwhile. Shared for
    // reading only, which keeps a second writer out.
    const HANDLE handle = CreateFileW(name.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        throw FileError(FileAction::kOpen, name, WindowsErrorText(GetLastError()));
    }
    return ByteFile(reinterpret_cast<NativeFile>(handle), name);
}

void ByteFile::Release(NativeFile handle) noexcept {
    CloseHandle(Handle(handle));
}

std::size_t ByteFile::Read(std::span<std::uint8_t> buffer) {
    DWORD count = 0;
    if (ReadFile(Handle(handle_), buffer.data(), TransferLength(buffer.size()), &count, nullptr) == 0) {
        Fail(FileAction::kRead, WindowsErrorText(GetLastError()));
    }
    return count;
}

std::size_t ByteFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) {
    // A read at an offset moves the file's own position on Windows; it is put back, so that reads and
    // writes at the current position are not disturbed (as with pread).
    LARGE_INTEGER position{};
    const LARGE_INTEGER zero{};
    if (SetFilePointerEx(Handle(handle_), zero, &position, FILE_CURRENT) == 0) {
        Fail(FileAction::kRead, WindowsErrorText(GetLastError()));
    }
    std::size_t done = 0;
    while (done < buffer.size()) {
        OVERLAPPED at = AtOffset(offset + done);
        DWORD count = 0;
        if (ReadFile(Handle(handle_), buffer.data() + done, TransferLength(buffer.size() - done), &count,
                     &at) == 0) {
            const DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF) {
                break;
            }
            Fail(FileAction::kRead, WindowsErrorText(error));
        }
        if (count == 0) {
            break;
        }
        done += count;
    }
    SetFilePointerEx(Handle(handle_), position, nullptr, FILE_BEGIN);
    return done;
}

void ByteFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    LARGE_INTEGER position{};
    const LARGE_INTEGER zero{};
    if (SetFilePointerEx(Handle(handle_), zero, &position, FILE_CURRENT) == 0) {
        Fail(FileAction::kWrite, WindowsErrorText(GetLastError()));
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        OVERLAPPED at = AtOffset(offset + done);
        DWORD count = 0;
        if (WriteFile(Handle(handle_), bytes.data() + done, TransferLength(bytes.size() - done), &count,
                      &at) == 0 ||
            count == 0) {
            Fail(FileAction::kWrite, WindowsErrorText(WriteError(count)));
        }
        done += count;
    }
    SetFilePointerEx(Handle(handle_), position, nullptr, FILE_BEGIN);
}

void ByteFile::Append(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD count = 0;
        if (WriteFile(Handle(handle_), bytes.data() + done, TransferLength(bytes.size() - done), &count,
                      nullptr) == 0 ||
            count == 0) {
            Fail(FileAction::kWrite, WindowsErrorText(WriteError(count)));
        }
        done += count;
    }
}

std::uint64_t ByteFile::Size() const {
    LARGE_INTEGER size{};
    if (GetFileSizeEx(Handle(handle_), &size) == 0) {
        Fail(FileAction::kRead, WindowsErrorText(GetLastError()));
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

void ByteFile::Flush() {
    if (FlushFileBuffers(Handle(handle_)) == 0) {
        Fail(FileAction::kWrite, WindowsErrorText(GetLastError()));
    }
}

void ByteFile::Close() {
    if (handle_ == kNoFile) {
        return;
    }
    // The handle is released even when closing reports an error, so it must not be closed again.
    if (CloseHandle(Handle(std::exchange(handle_, kNoFile))) == 0) {
        Fail(FileAction::kClose, WindowsErrorText(GetLastError()));
    }
}

}  // namespace flash410::platform
