#include "platform/byte_file.h"

#include <utility>

namespace flash410::platform {

ByteFile::ByteFile(NativeFile handle, std::filesystem::path name) : handle_(handle), name_(std::move(name)) {}

ByteFile::ByteFile(ByteFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoFile)), name_(std::move(other.name_)) {}

ByteFile& ByteFile::operator=(ByteFile&& other) noexcept {
    if (this != &other) {
        if (handle_ != kNoFile) {
            Release(handle_);
        }
        handle_ = std::exchange(other.handle_, kNoFile);
        name_ = std::move(other.name_);
    }
    return *this;
}

ByteFile::~ByteFile() {
    if (handle_ != kNoFile) {
        Release(handle_);
    }
}

void ByteFile::Fail(FileAction action, std::string reason) const {
    throw FileError(action, name_, std::move(reason));
}

}  // namespace flash410::platform
