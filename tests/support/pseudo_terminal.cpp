#include "pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

namespace flash410::test_support {

PseudoTerminal::PseudoTerminal() {
    master_.Reset(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master_.valid() || grantpt(master_.get()) != 0 || unlockpt(master_.get()) != 0) {
        throw std::runtime_error("cannot make a pseudo-terminal");
    }
    slavePath_ = ptsname(master_.get());
    // The master side passes bytes through unchanged.
    termios settings{};
    tcgetattr(master_.get(), &settings);
    cfmakeraw(&settings);
    tcsetattr(master_.get(), TCSANOW, &settings);
}

PseudoTerminal::~PseudoTerminal() = default;

void PseudoTerminal::Hangup() {
    master_.Reset();
}

void PseudoTerminal::Send(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = ::write(master_.get(), bytes.data() + sent, bytes.size() - sent);
        if (count < 0) {
            throw std::runtime_error("cannot write to the pseudo-terminal");
        }
        sent += static_cast<std::size_t>(count);
    }
}

std::string PseudoTerminal::Receive(std::size_t count, int quietMs) {
    std::string received;
    char buffer[4096];
    while (received.size() < count) {
        pollfd ready{master_.get(), POLLIN, 0};
        if (poll(&ready, 1, quietMs) <= 0 || (ready.revents & POLLIN) == 0) {
            break;
        }
        const ssize_t n = ::read(master_.get(), buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        received.append(buffer, static_cast<std::size_t>(n));
    }
    return received;
}

}  // namespace flash410::test_support
