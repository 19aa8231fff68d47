#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <utility>

#include "image/file_failure.h"
#include "image/file_type_posix.h"
#include "image/replacement_file.h"

namespace flash410::image {
namespace {

// Names are drawn at random; a clash with a file already there only means drawing again.
constexpr int kNameAttempts = 100;

// A hidden name beside the target, such as ".fw.VXF-1a2b3c4d.new".
std::filesystem::path TemporaryNameFor(const std::filesystem::path& target, std::uint32_t tag) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%08x.new", static_cast<unsigned>(tag));
    return target.parent_path() / ("." + target.filename().string() + suffix);
}

// The type and mode of the file the name stands for itself (a link, not what it points to), or
// nothing when there is no such file.
std::optional<struct stat> StatusOf(const std::filesystem::path& name, const char* action) {
    struct stat status {};
    if (::lstat(name.c_str(), &status) == 0) {
        return status;
    }
    if (errno != ENOENT) {
        FailOnFile(action, name, SystemReason(errno));
    }
    return std::nullopt;
}

// Only a regular file or a link may be replaced: renaming over a device or a folder would destroy
// something that is not firmware.
void RefuseUnreplaceable(const std::optional<struct stat>& status, const char* action,
                         const std::filesystem::path& name) {
    if (status && !S_ISREG(status->st_mode) && !S_ISLNK(status->st_mode)) {
        FailOnFile(action, name, NotARegularFileReason(status->st_mode));
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

ReplacementFile::ReplacementFile(ByteFile file, std::filesystem::path temporary)
    : file_(std::move(file)), temporary_(std::move(temporary)) {}

ReplacementFile ReplacementFile::Create(const std::filesystem::path& target) {
    if (!target.has_filename()) {
        FailOnFile("create", target, "Is a directory");
    }
    RefuseUnreplaceable(StatusOf(target, "create"), "create", target);
    std::random_device random;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::filesystem::path temporary = TemporaryNameFor(target, random());
        int descriptor;
        do {
            // 0666 less the umask, as for any new file.
            descriptor = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        } while (descriptor < 0 && errno == EINTR);
        if (descriptor >= 0) {
            return ReplacementFile(ByteFile(descriptor, target), std::move(temporary));
        }
        if (errno != EEXIST) {
            FailOnFile("create", target, SystemReason(errno));
        }
    }
    FailOnFile("create", target, SystemReason(EEXIST));
}

ReplacementFile::ReplacementFile(ReplacementFile&& other) noexcept
    : file_(std::move(other.file_)), temporary_(std::exchange(other.temporary_, {})) {}

ReplacementFile& ReplacementFile::operator=(ReplacementFile&& other) noexcept {
    if (this != &other) {
        Discard();
        file_ = std::move(other.file_);
        temporary_ = std::exchange(other.temporary_, {});
    }
    return *this;
}

ReplacementFile::~ReplacementFile() {
    Discard();
}

void ReplacementFile::Discard() noexcept {
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

ByteFile ReplacementFile::PutInPlace() && {
    const std::optional<struct stat> replaced = StatusOf(Target(), "replace");
    RefuseUnreplaceable(replaced, "replace", Target());
    if (replaced && S_ISREG(replaced->st_mode) &&
        ::fchmod(static_cast<int>(file_.handle_), replaced->st_mode & 07777) != 0) {
        FailOnFile("replace", Target(), SystemReason(errno));
    }
    if (::rename(temporary_.c_str(), Target().c_str()) != 0) {
        FailOnFile("replace", Target(), SystemReason(errno));
    }
    temporary_.clear();
    SyncFolder(Target().parent_path());
    return std::move(file_);
}

}  // namespace flash410::image
