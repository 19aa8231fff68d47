#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/line_append.h"
#include "platform/system_error_text.h"
#include "platform/unique_fd.h"

namespace flash410::platform {

namespace {

// Whether the file's last byte is something other than a line end; false for an empty file.
bool EndsInsideLine(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_size == 0) {
        return false;
    }
    char last = '\n';
    return ::pread(fd, &last, 1, status.st_size - 1) == 1 && last != '\n';
}

}  // namespace

std::optional<std::string> AppendLine(const std::string& file, std::string_view line) {
    const UniqueFd fd(::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (!fd.valid()) {
        return "cannot open " + file + ": " + SystemErrorText(errno);
    }
    std::string bytes = EndsInsideLine(fd.get()) ? "\n" : "";
    bytes += line;
    ssize_t written = 0;
    do {
        written = ::write(fd.get(), bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    if (written < 0) {
        return "cannot write to " + file + ": " + SystemErrorText(errno);
    }
    if (static_cast<std::size_t>(written) < bytes.size()) {
        // The rest is not written after it: another program may have appended meanwhile, and the two parts
        // would not make one line. A line end closes the damaged part where there is room for it; where
        // there is not, the system's reason comes from that try.
        const ssize_t closed = ::write(fd.get(), "\n", 1);
        const std::string reason = closed < 0 ? SystemErrorText(errno) : "the disk had no room for the rest";
        return "cannot write to " + file + ": only " + std::to_string(written) + " of " +
               std::to_string(bytes.size()) + " bytes written: " + reason;
    }
    if (::fsync(fd.get()) != 0) {
        return "cannot write to " + file + ": " + SystemErrorText(errno);
    }
    return std::nullopt;
}

}  // namespace flash410::platform
