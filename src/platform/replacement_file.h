// New versions of files, put in place whole or not at all. Every failure throws FileError naming the file the
// operator knows (the target, never the temporary name) and the system's reason.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "platform/byte_file.h"

namespace flash410::platform {

// The new version of a file, written beside it under a temporary name and put in its place in one
// step, so that the file of that name is always either the old one, untouched, or the new one, whole.
// A replacement that is not put in place is removed with everything written to it.
class ReplacementFile {
  public:
    // Creates the empty temporary file in target's folder, with the usual mode for a new file. A
    // target that exists must be a regular file or a symbolic link; a link is replaced, never
    // written through.
    static ReplacementFile Create(const std::filesystem::path& target);

    ReplacementFile(ReplacementFile&& other) noexcept;
    ReplacementFile& operator=(ReplacementFile&& other) noexcept;
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    ~ReplacementFile();

    const std::filesystem::path& Target() const { return file_.Name(); }
    // The new contents, open for reading and writing; failures name the target.
    ByteFile& File() { return file_; }
    const ByteFile& File() const { return file_; }
    // Writes contents as the whole new file, unless the target is a regular file that holds exactly them
    // already: then nothing is written, and PutInPlace(contents) keeps the target. contents must stay
    // as they are until then.
    void WriteWhole(std::span<const std::uint8_t> contents);
    // Whether WriteWhole found the target holding the contents already.
    bool TargetHeldContents() const { return heldContents_.has_value(); }
    // Waits until the new contents have reached the disk; do this before putting it in place.
    void Flush();
    // Renames the new file to the target. A regular file it replaces passes on its mode. A regular file
    // there that holds exactly the new bytes already is kept as it is instead, and the new file removed:
    // another program may be reading it (an upload sending it), and Windows cannot replace an open file.
    // Returns the file now under the target's name, open for reading at least. A target that differs
    // but another program has open (on Windows) is refused with FileError::InUse().
    ByteFile PutInPlace() &&;
    // The same, for a caller that holds the new contents whole: the file in place is compared with
    // them rather than with the new file read back. A target that WriteWhole found holding them, and
    // that has changed since, gets them written and synced now.
    ByteFile PutInPlace(std::span<const std::uint8_t> contents) &&;

  private:
    ReplacementFile(ByteFile file, std::filesystem::path temporary);
    // Closes the new file and removes it, unless it has been put in place.
    void Discard() noexcept;
    // The target, open for reading, when it is a regular file with the same bytes as the new file, whose
    // contents are given when the caller holds them.
    std::optional<ByteFile> OpenTargetIfSame(std::optional<std::span<const std::uint8_t>> contents);
    ByteFile PutInPlaceComparing(std::optional<std::span<const std::uint8_t>> contents);

    // The system's part, in replacement_file_<system>.cpp.
    // Refuses a target that is there but may not be replaced; action is what the caller was doing.
    static void RefuseUnreplaceable(const std::filesystem::path& target, FileAction action);
    // The new, empty file under the temporary name, failures named after target; nothing when the name
    // is taken already.
    static std::optional<ByteFile> CreateNew(const std::filesystem::path& temporary,
                                             const std::filesystem::path& target);
    // The system's words for a name that is taken, when every temporary name tried was.
    static std::string NameTakenReason();
    static void Remove(const std::filesystem::path& name) noexcept;
    // Whether name is a regular file itself, not a link to one.
    static bool IsRegularFile(const std::filesystem::path& name) noexcept;
    // Renames the new file over the target (PutInPlace without the comparison).
    ByteFile ReplaceTarget();

    ByteFile file_;
    std::filesystem::path temporary_;
    // What WriteWhole left unwritten, since the target held it.
    std::optional<std::span<const std::uint8_t>> heldContents_;
};

}  // namespace flash410::platform
