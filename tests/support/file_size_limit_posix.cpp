#include "file_size_limit.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace flash410::test_support {
namespace {

constexpr int EscapedException = 255;

void WriteAll(int descriptor, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t count = ::write(descriptor, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return;
        }
        done += static_cast<std::size_t>(count);
    }
}

[[noreturn]] void RunChild(std::uint64_t limit, const std::function<int(std::string&)>& body,
                           int reportPipe) {
    int status = EscapedException;
    std::string report;
    const rlimit file_size{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
    if (::setrlimit(RLIMIT_FSIZE, &file_size) == 0 && ::signal(SIGXFSZ, SIG_IGN) != SIG_ERR) {
        try {
            status = body(report);
        } catch (const std::exception& escaped) {
            report = escaped.what();
        }
    } else {
        report = "cannot limit the file size";
    }
    WriteAll(reportPipe, report);
    ::close(reportPipe);
    ::_exit(status);  // nothing of the test program's own ending runs in the child
}

}  // namespace

LimitedRun RunWithFileSizeLimit(std::uint64_t limit, const std::function<int(std::string& report)>& body) {
    int reportPipe[2];
    if (::pipe(reportPipe) != 0) {
        throw std::runtime_error("cannot make a pipe");
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(reportPipe[0]);
        ::close(reportPipe[1]);
        throw std::runtime_error("cannot start a child process");
    }
    if (child == 0) {
        ::close(reportPipe[0]);
        RunChild(limit, body, reportPipe[1]);
    }
    ::close(reportPipe[1]);
    LimitedRun run;
    char buffer[512];
    for (;;) {
        const ssize_t count = ::read(reportPipe[0], buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        run.Report.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(reportPipe[0]);
    int status = 0;
    pid_t waited;
    do {
        waited = ::waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    run.Status = waited == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace flash410::test_support
