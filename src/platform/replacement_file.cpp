#include "platform/replacement_file.h"

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <utility>

namespace flash410::platform {
namespace {

// Names are drawn at random; a clash with a file already there only means drawing again.
constexpr int kNameAttempts = 100;

// A hidden name beside the target, such as ".fw.VXF-1a2b3c4d.new".
std::filesystem::path TemporaryNameFor(const std::filesystem::path& target, std::uint32_t tag) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%08x.new", static_cast<unsigned>(tag));
    return target.parent_path() / ("." + target.filename().string() + suffix);
}

}  // namespace

ReplacementFile::ReplacementFile(ByteFile file, std::filesystem::path temporary)
    : file_(std::move(file)), temporary_(std::move(temporary)) {}

ReplacementFile ReplacementFile::Create(const std::filesystem::path& target) {
    if (!target.has_filename()) {
        throw FileError(FileAction::kCreate, target, "Is a directory");
    }
    RefuseUnreplaceable(target, FileAction::kCreate);
    std::random_device random;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::filesystem::path temporary = TemporaryNameFor(target, random());
        if (std::optional<ByteFile> file = CreateNew(temporary, target)) {
            return ReplacementFile(std::move(*file), std::move(temporary));
        }
    }
    throw FileError(FileAction::kCreate, target, NameTakenReason());
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
        // Closed first: Windows removes an open file only once it is closed.
        { const ByteFile closing = std::move(file_); }
        Remove(temporary_);
        temporary_.clear();
    }
}

}  // namespace flash410::platform
