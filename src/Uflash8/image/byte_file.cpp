#include "byte_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

#include "preparation_error.h"

namespace flash410::image {
namespace {

std::string Reason(int error) {
    return std::generic_category().message(error);
}

[[noreturn]] void FailOpening(const char* action, const std::filesystem::path& name, int error) {
    throw PreparationError("Cannot " + std::string(action) + " " + name.string() + ": " + Reason(error));
}

int OpenRetrying(const std::filesystem::path& name, int flags) {
    int descriptor;
    do {
        descriptor = ::open(name.c_str(), flags | O_CLOEXEC, 0666);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

}  // namespace

ByteFile::ByteFile(int descriptor, std::filesystem::path name)
    : descriptor_(descriptor), name_(std::move(name)) {}

ByteFile ByteFile::Create(const std::filesystem::path& name) {
    const int descriptor = OpenRetrying(name, O_RDWR | O_CREAT | O_TRUNC);
    if (descriptor < 0) {
        FailOpening("create", name, errno);
    }
    return ByteFile(descriptor, name);
}

ByteFile ByteFile::OpenForReading(const std::filesystem::path& name) {
    const int descriptor = OpenRetrying(name, O_RDONLY);
    if (descriptor < 0) {
        FailOpening("open", name, errno);
    }
    return ByteFile(descriptor, name);
}

ByteFile::ByteFile(ByteFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), name_(std::move(other.name_)) {}

ByteFile& ByteFile::operator=(ByteFile&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
        descriptor_ = std::exchange(other.descriptor_, -1);
        name_ = std::move(other.name_);
    }
    return *this;
}

ByteFile::~ByteFile() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

void ByteFile::Fail(const char* action, int error) const {
    throw PreparationError("Cannot " + std::string(action) + " " + name_.string() + ": " + Reason(error));
}

std::size_t ByteFile::Read(std::span<std::uint8_t> buffer) {
    for (;;) {
        const ssize_t count = ::read(descriptor_, buffer.data(), buffer.size());
        if (count >= 0) {
            return static_cast<std::size_t>(count);
        }
        if (errno != EINTR) {
            Fail("read", errno);
        }
    }
}

std::size_t ByteFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) {
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t count = ::pread(descriptor_, buffer.data() + done, buffer.size() - done,
                                      static_cast<off_t>(offset + done));
        if (count == 0) {
            break;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("read", errno);
        }
        done += static_cast<std::size_t>(count);
    }
    return done;
}

void ByteFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    WriteAll(bytes, [&](const std::uint8_t* data, std::size_t length, std::size_t done) {
        return ::pwrite(descriptor_, data, length, static_cast<off_t>(offset + done));
    });
}

void ByteFile::Append(std::span<const std::uint8_t> bytes) {
    WriteAll(bytes, [&](const std::uint8_t* data, std::size_t length, std::size_t) {
        return ::write(descriptor_, data, length);
    });
}

std::uint64_t ByteFile::Size() const {
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0) {
        Fail("read", errno);
    }
    return static_cast<std::uint64_t>(status.st_size);
}

void ByteFile::Close() {
    if (descriptor_ < 0) {
        return;
    }
    // The descriptor is released even when close reports an error, so it must not be closed again.
    const int result = ::close(std::exchange(descriptor_, -1));
    if (result != 0 && errno != EINTR) {
        Fail("close", errno);
    }
}

}  // namespace flash410::image
