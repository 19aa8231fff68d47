// The one failure of the platform's files: FileError says what was being done, to which file, and the
// system's words for why. The layers above turn it into their own messages.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace flash410::platform {

enum class FileAction { kOpen, kCreate, kRead, kWrite, kReplace, kClose, kLock };

// The action as a verb: "open", "create", "read", "write", "replace", "close", "lock".
const char* ActionVerb(FileAction action);

// what() is "Cannot <verb> <path>: <reason>".
class FileError : public std::runtime_error {
  public:
    // inUse: the file is held by another writer, so that the action was refused rather than failed.
    FileError(FileAction action, std::filesystem::path path, std::string reason, bool inUse = false);

    FileAction Action() const { return action_; }
    // The name the file was asked for by (the name it is to have, for a file not yet in place).
    const std::filesystem::path& Path() const { return path_; }
    const std::string& Reason() const { return reason_; }
    bool InUse() const { return inUse_; }

  private:
    FileAction action_;
    std::filesystem::path path_;
    std::string reason_;
    bool inUse_;
};

}  // namespace flash410::platform
