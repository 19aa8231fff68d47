#include "platform/file_error.h"

#include <utility>

namespace flash410::platform {

const char* ActionVerb(FileAction action) {
    switch (action) {
        case FileAction::kOpen:
            return "open";
        case FileAction::kCreate:
            return "create";
        case FileAction::kRead:
            return "read";
        case FileAction::kWrite:
            return "write";
        case FileAction::kReplace:
            return "replace";
        case FileAction::kClose:
            return "close";
        case FileAction::kLock:
            return "lock";
    }
    return "use";
}

FileError::FileError(FileAction action, std::filesystem::path path, std::string reason, bool inUse)
    : std::runtime_error("Cannot " + std::string(ActionVerb(action)) + " " + path.string() + ": " + reason),
      action_(action),
      path_(std::move(path)),
      reason_(std::move(reason)),
      inUse_(inUse) {}

}  // namespace flash410::platform
