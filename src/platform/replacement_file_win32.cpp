#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "platform/replacement_file.h"
#include "platform/system_error_text_win32.h"

namespace flash410::platform {
namespace {

// Whether a replacement refused with error was refused because another program has the target open:
// Windows does not replace a file that is open, and says only "access denied" (or, for a handle that
// does not share deletion, "sharing violation"). A file that nobody has open can be opened without
// sharing; a read-only file, or one this user may not delete, can be opened so and is refused for its
// own reason.
bool HeldOpenElsewhere(const std::filesystem::path& target, DWORD error) {
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) {
        return false;
    }
    const HANDLE probe = CreateFileW(target.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace

// Only a regular file or a link may be replaced: renaming over a folder would destroy something that is
// not firmware. The attributes are those of the name itself (a link, not what it points to).
void ReplacementFile::RefuseUnreplaceable(const std::filesystem::path& target, FileAction action) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            throw FileError(action, target, WindowsErrorText(error));
        }
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        throw FileError(action, target, "Is a directory");
    }
}

std::optional<ByteFile> ReplacementFile::CreateNew(const std::filesystem::path& temporary,
                                                   const std::filesystem::path& target) {
    // Shared for deletion, so that it can be renamed into place while it is still open.
    const HANDLE handle =
        CreateFileW(temporary.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        return ByteFile(reinterpret_cast<NativeFile>(handle), target);
    }
    if (const DWORD error = GetLastError(); error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
        throw FileError(FileAction::kCreate, target, WindowsErrorText(error));
    }
    return std::nullopt;
}

std::string ReplacementFile::NameTakenReason() {
    return WindowsErrorText(ERROR_FILE_EXISTS);
}

void ReplacementFile::Remove(const std::filesystem::path& name) noexcept {
    DeleteFileW(name.c_str());
}

bool ReplacementFile::IsRegularFile(const std::filesystem::path& name) noexcept {
    const DWORD attributes = GetFileAttributesW(name.c_str());
    const DWORD notRegular = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & notRegular) == 0;
}

ByteFile ReplacementFile::ReplaceTarget() {
    RefuseUnreplaceable(Target(), FileAction::kReplace);
    // Write-through: the move has reached the disk when the call returns. A failure leaves the file of
    // that name as it was.
    if (MoveFileExW(temporary_.c_str(), Target().c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        const DWORD error = GetLastError();
        throw FileError(FileAction::kReplace, Target(), WindowsErrorText(error),
                        HeldOpenElsewhere(Target(), error));
    }
    temporary_.clear();
    return std::move(file_);
}

}  // namespace flash410::platform
