// Another program on the line, for the tests that decide whether a port is busy. The holder scan skips
// the test's own process, so the programs it must judge have to be processes of their own.
//
//   line_peer far-end     makes a pseudo-terminal pair and keeps both sides open, as a virtual null
//                         modem does; prints the slave's path, then echoes whatever arrives on the
//                         master side back down the line.
//   line_peer hold PATH   keeps PATH open, as a terminal program would, next to a pseudo-terminal
//                         master of its own (a terminal multiplexer's window); prints "ready".
//
// Each runs until its standard input closes, so that the test decides when it ends.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/unique_fd.h"

namespace {

// The test reads one line: the answer it waits for, or the reason there is none.
void Say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

int Fail(const std::string& what) {
    Say("error: " + what + ": " + std::strerror(errno));
    return 1;
}

// Polls until standard input closes, passing master-side bytes back when there is a master to serve.
void RunUntilStdinCloses(int echoFd) {
    std::array<pollfd, 2> watched{pollfd{STDIN_FILENO, POLLIN, 0}, pollfd{echoFd, POLLIN, 0}};
    const nfds_t count = echoFd >= 0 ? 2 : 1;
    std::array<char, 4096> buffer{};
    for (;;) {
        if (poll(watched.data(), count, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (watched[0].revents != 0) {
            // Anything on standard input, or its end, means the test is done with us.
            return;
        }
        if (count == 2 && (watched[1].revents & POLLIN) != 0) {
            const ssize_t got = ::read(echoFd, buffer.data(), buffer.size());
            if (got > 0) {
                (void)!::write(echoFd, buffer.data(), static_cast<std::size_t>(got));
            }
        }
    }
}

int RunFarEnd() {
    int masterFd = -1;
    int slaveFd = -1;
    std::array<char, 128> name{};
    if (openpty(&masterFd, &slaveFd, name.data(), nullptr, nullptr) != 0) {
        return Fail("openpty");
    }
    const flash410::platform::UniqueFd master(masterFd);
    const flash410::platform::UniqueFd slave(slaveFd);
    termios settings{};
    if (tcgetattr(slave.get(), &settings) != 0) {
        return Fail("tcgetattr");
    }
    cfmakeraw(&settings);
    if (tcsetattr(slave.get(), TCSANOW, &settings) != 0) {
        return Fail("tcsetattr");
    }
    Say(name.data());
    RunUntilStdinCloses(master.get());
    return 0;
}

int RunHolder(const char* path) {
    const flash410::platform::UniqueFd ownMaster(posix_openpt(O_RDWR | O_NOCTTY));
    if (!ownMaster.valid() || grantpt(ownMaster.get()) != 0 || unlockpt(ownMaster.get()) != 0) {
        return Fail("posix_openpt");
    }
    const flash410::platform::UniqueFd device(::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK));
    if (!device.valid()) {
        return Fail(path);
    }
    Say("ready");
    RunUntilStdinCloses(-1);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "far-end" && argc == 2) {
        return RunFarEnd();
    }
    if (mode == "hold" && argc == 3) {
        return RunHolder(argv[2]);
    }
    Say("usage: line_peer far-end | line_peer hold PATH");
    return 2;
}
