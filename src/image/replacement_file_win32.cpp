#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <utility>

#include "image/file_failure.h"
#include "image/replacement_file.h"
#include "image/system_reason_win32.h"

namespace flash410::image {
namespace {

// Names are drawn at random; a clash with a file already there only means drawing again.
constexpr int kNameAttempts = 100;

// A name beside the target, such as ".fw.VXF-1a2b3c4d.new".
std::filesystem::path TemporaryNameFor(const std::filesystem::path& target, std::uint32_t tag) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%08x.new", static_cast<unsigned>(tag));
    return target.parent_path() / ("." + target.filename().string() + suffix);
}

// Only a regular file or a link may be replaced: renaming over a folder would destroy something that is
// not firmware. The attributes are those of the name itself (a link, not what it points to).
void RefuseUnreplaceable(const std::filesystem::path& name, const char* action) {
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            FailOnFile(action, name, WindowsReason(error));
        }
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        FailOnFile(action, name, "Is a directory");
    }
}

}  // namespace

ReplacementFile::ReplacementFile(ByteFile file, std::filesystem::path temporary)
    : file_(std::move(file)), temporary_(std::move(temporary)) {}

ReplacementFile ReplacementFile::Create(const std::filesystem::path& target) {
    if (!target.has_filename()) {
        FailOnFile("create", target, "Is a directory");
    }
    RefuseUnreplaceable(target, "create");
    std::random_device random;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::filesystem::path temporary = TemporaryNameFor(target, random());
        // Shared for deletion, so that it can be renamed into place while it is still open.
        const HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            return ReplacementFile(ByteFile(reinterpret_cast<NativeFile>(handle), target), std::move(temporary));
        }
        if (const DWORD error = GetLastError(); error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            FailOnFile("create", target, WindowsReason(error));
        }
    }
    FailOnFile("create", target, WindowsReason(ERROR_FILE_EXISTS));
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
        // Windows deletes an open file only once it is closed: close it first.
        { const ByteFile closing = std::move(file_); }
        DeleteFileW(temporary_.c_str());
        temporary_.clear();
    }
}

ByteFile ReplacementFile::PutInPlace() && {
    RefuseUnreplaceable(Target(), "replace");
    // Write-through: the move has reached the disk when the call returns. A failure leaves the file of
    // that name as it was.
    if (MoveFileExW(temporary_.c_str(), Target().c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ==
        0) {
        FailOnFile("replace", Target(), WindowsReason(GetLastError()));
    }
    temporary_.clear();
    return std::move(file_);
}

}  // namespace flash410::image
