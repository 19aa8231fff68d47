#include "platform/replacement_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace flash410::platform {
namespace {

// Names are drawn at random; a clash with a file already there only means drawing again.
constexpr int kNameAttempts = 100;

// The comparison with the file already in place reads both files in pieces of this size.
constexpr std::size_t kComparedPiece = 1024 * 1024;

// A hidden name beside the target, such as ".fw.VXF-1a2b3c4d.new".
std::filesystem::path TemporaryNameFor(const std::filesystem::path& target, std::uint32_t tag) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%08x.new", static_cast<unsigned>(tag));
    return target.parent_path() / ("." + target.filename().string() + suffix);
}

// Reads from the file in place; nothing when it cannot be read.
std::optional<std::size_t> ReadInPlace(ByteFile& file, std::uint64_t offset, std::span<std::uint8_t> buffer) {
    try {
        return file.ReadAt(offset, buffer);
    } catch (const FileError&) {
        return std::nullopt;
    }
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
    : file_(std::move(other.file_)),
      temporary_(std::exchange(other.temporary_, {})),
      heldContents_(std::exchange(other.heldContents_, std::nullopt)) {}

ReplacementFile& ReplacementFile::operator=(ReplacementFile&& other) noexcept {
    if (this != &other) {
        Discard();
        file_ = std::move(other.file_);
        temporary_ = std::exchange(other.temporary_, {});
        heldContents_ = std::exchange(other.heldContents_, std::nullopt);
    }
    return *this;
}

ReplacementFile::~ReplacementFile() {
    Discard();
}

ByteFile ReplacementFile::PutInPlace() && {
    if (heldContents_) {
        return std::move(*this).PutInPlace(*heldContents_);
    }
    return PutInPlaceComparing(std::nullopt);
}

ByteFile ReplacementFile::PutInPlace(std::span<const std::uint8_t> contents) && {
    if (heldContents_) {
        if (std::optional<ByteFile> same = OpenTargetIfSame(contents)) {
            Discard();
            return std::move(*same);
        }
        // Changed since it was looked at: the new file gets what it was spared.
        heldContents_.reset();
        file_.WriteAt(0, contents);
        file_.Flush();
    }
    return PutInPlaceComparing(contents);
}

void ReplacementFile::WriteWhole(std::span<const std::uint8_t> contents) {
    if (OpenTargetIfSame(contents)) {
        heldContents_ = contents;
        return;
    }
    heldContents_.reset();
    file_.WriteAt(0, contents);
}

void ReplacementFile::Flush() {
    if (!heldContents_) {
        file_.Flush();
    }
}

ByteFile ReplacementFile::PutInPlaceComparing(std::optional<std::span<const std::uint8_t>> contents) {
    if (std::optional<ByteFile> same = OpenTargetIfSame(contents)) {
        Discard();
        return std::move(*same);
    }
    try {
        return ReplaceTarget();
    } catch (const FileError& failure) {
        // Whoever holds it may have put the very same bytes there meanwhile.
        std::optional<ByteFile> same;
        if (failure.InUse()) {
            same = OpenTargetIfSame(contents);
        }
        if (!same) {
            throw;
        }
        Discard();
        return std::move(*same);
    }
}

std::optional<ByteFile> ReplacementFile::OpenTargetIfSame(
    std::optional<std::span<const std::uint8_t>> contents) {
    if (!IsRegularFile(Target())) {
        return std::nullopt;
    }
    // A file in place that cannot be read is not the same; a new file that cannot be read back is a
    // failure of its own.
    std::optional<ByteFile> existing;
    std::uint64_t existingSize = 0;
    try {
        existing = ByteFile::OpenForReading(Target());
        existingSize = existing->Size();
    } catch (const FileError&) {
        return std::nullopt;
    }
    const std::uint64_t size = contents ? contents->size() : file_.Size();
    if (existingSize != size) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> readBack(contents ? 0 : kComparedPiece);
    std::vector<std::uint8_t> theirs(kComparedPiece);
    for (std::uint64_t offset = 0; offset < size; offset += kComparedPiece) {
        std::span<const std::uint8_t> ours;
        if (contents) {
            ours = contents->subspan(offset, std::min<std::uint64_t>(kComparedPiece, size - offset));
        } else {
            ours = std::span<const std::uint8_t>(readBack).first(file_.ReadAt(offset, readBack));
        }
        const std::optional<std::size_t> theirCount = ReadInPlace(*existing, offset, theirs);
        if (theirCount != ours.size() || !std::equal(ours.begin(), ours.end(), theirs.begin())) {
            return std::nullopt;
        }
    }
    return existing;
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
