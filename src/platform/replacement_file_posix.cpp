#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <utility>

#include "platform/file_type_posix.h"
#include "platform/replacement_file.h"
#include "platform/system_error_text.h"

namespace flash410::platform {
namespace {

// The type and mode of the file the name stands for itself (a link, not what it points to), or
// nothing when there is no such file.
std::optional<struct stat> StatusOf(const std::filesystem::path& name, FileAction action) {
    struct stat status {};
    if (::lstat(name.c_str(), &status) == 0) {
        return status;
    }
    if (errno != ENOENT) {
        throw FileError(action, name, SystemErrorText(errno));
    }
    return std::nullopt;
}

// Only a regular file or a link may be replaced: renaming over a device or a folder would destroy
// something that is not firmware.
void RefuseUnreplaceableStatus(const std::optional<struct stat>& status, FileAction action,
                               const std::filesystem::path& name) {
    if (status && !S_ISREG(status->st_mode) && !S_ISLNK(status->st_mode)) {
        throw FileError(action, name, NotARegularFileReason(status->st_mode));
    }
}

// Makes the rename itself last through a power cut. The rename has happened either way, so a folder
// that cannot be synced (some file systems do not support it) is no reason to report a failure.
void SyncFolder(const std::filesystem::path& folder) {
    const int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

}  // namespace

void ReplacementFile::RefuseUnreplaceable(const std::filesystem::path& target, FileAction action) {
    RefuseUnreplaceableStatus(StatusOf(target, action), action, target);
}

std::optional<ByteFile> ReplacementFile::CreateNew(const std::filesystem::path& temporary,
                                                   const std::filesystem::path& target) {
    int descriptor;
    do {
        // 0666 less the umask, as for any new file.
        descriptor = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor >= 0) {
        return ByteFile(descriptor, target);
    }
    if (errno != EEXIST) {
        throw FileError(FileAction::kCreate, target, SystemErrorText(errno));
    }
    return std::nullopt;
}

std::string ReplacementFile::NameTakenReason() {
    return SystemErrorText(EEXIST);
}

void ReplacementFile::Remove(const std::filesystem::path& name) noexcept {
    ::unlink(name.c_str());
}

bool ReplacementFile::IsRegularFile(const std::filesystem::path& name) noexcept {
    struct stat status {};
    return ::lstat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

ByteFile ReplacementFile::ReplaceTarget() {
    const std::optional<struct stat> replaced = StatusOf(Target(), FileAction::kReplace);
    RefuseUnreplaceableStatus(replaced, FileAction::kReplace, Target());
    if (replaced && S_ISREG(replaced->st_mode) &&
        ::fchmod(static_cast<int>(file_.handle_), replaced->st_mode & 07777) != 0) {
        throw FileError(FileAction::kReplace, Target(), SystemErrorText(errno));
    }
    if (::rename(temporary_.c_str(), Target().c_str()) != 0) {
        throw FileError(FileAction::kReplace, Target(), SystemErrorText(errno));
    }
    temporary_.clear();
    SyncFolder(Target().parent_path());
    return std::move(file_);
}

}  // namespace flash410::platform
