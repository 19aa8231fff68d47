#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "image/byte_file.h"
#include "image/file_failure.h"
#include "image/file_type_posix.h"

namespace flash410::image {
namespace {

int Fd(NativeFile file) {
    return static_cast<int>(file);
}

int OpenRetrying(const std::filesystem::path& name, int flags) {
    int descriptor;
    do {
        descriptor = ::open(name.c_str(), flags | O_CLOEXEC);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

// Writes every byte through writeSome(data, length, bytes done so far), which may take fewer.
template <typename WriteSome>
void WriteAll(std::span<const std::uint8_t> bytes, WriteSome writeSome, const std::filesystem::path& name) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = writeSome(bytes.data() + done, bytes.size() - done, done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            FailOnFile("write", name, SystemReason(count < 0 ? errno : EIO));
        }
        done += static_cast<std::size_t>(count);
    }
}

}  // namespace

ByteFile::ByteFile(NativeFile handle, std::filesystem::path name) : handle_(handle), name_(std::move(name)) {}

ByteFile ByteFile::OpenForReading(const std::filesystem::path& name) {
    // Without O_NONBLOCK a named pipe would hold the program here until something wrote to it.
    const int descriptor = OpenRetrying(name, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (descriptor < 0) {
        FailOnFile("open", name, SystemReason(errno));
    }
    ByteFile file(descriptor, name);
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        file.Fail("read", errno);
    }
    if (!S_ISREG(status.st_mode)) {
        FailOnFile("read", name, NotARegularFileReason(status.st_mode));
    }
    return file;
}

ByteFile::ByteFile(ByteFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoFile)), name_(std::move(other.name_)) {}

ByteFile& ByteFile::operator=(ByteFile&& other) noexcept {
    if (this != &other) {
        if (handle_ != kNoFile) {
            ::close(Fd(handle_));
        }
        handle_ = std::exchange(other.handle_, kNoFile);
        name_ = std::move(other.name_);
    }
    return *this;
}

ByteFile::~ByteFile() {
    if (handle_ != kNoFile) {
        ::close(Fd(handle_));
    }
}

void ByteFile::Fail(const char* action, int error) const {
    FailOnFile(action, name_, SystemReason(error));
}

std::size_t ByteFile::Read(std::span<std::uint8_t> buffer) {
    for (;;) {
        const ssize_t count = ::read(Fd(handle_), buffer.data(), buffer.size());
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
        const ssize_t count = ::pread(Fd(handle_), buffer.data() + done, buffer.size() - done,
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
    WriteAll(
        bytes,
        [&](const std::uint8_t* data, std::size_t length, std::size_t done) {
            return ::pwrite(Fd(handle_), data, length, static_cast<off_t>(offset + done));
        },
        name_);
}

void ByteFile::Append(std::span<const std::uint8_t> bytes) {
    WriteAll(
        bytes,
        [&](const std::uint8_t* data, std::size_t length, std::size_t) {
            return ::write(Fd(handle_), data, length);
        },
        name_);
}

std::uint64_t ByteFile::Size() const {
    struct stat status {};
    if (::fstat(Fd(handle_), &status) != 0) {
        Fail("read", errno);
    }
    return static_cast<std::uint64_t>(status.st_size);
}

void ByteFile::Flush() {
    int result;
    do {
        result = ::fsync(Fd(handle_));
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        Fail("write", errno);
    }
}

void ByteFile::Close() {
    if (handle_ == kNoFile) {
        return;
    }
    // The descriptor is released even when close reports an error, so it must not be closed again.
    const int result = ::close(Fd(std::exchange(handle_, kNoFile)));
    if (result != 0 && errno != EINTR) {
        Fail("close", errno);
    }
}

}  // namespace flash410::image
