#include "modem_sim/pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <array>
#include <cerrno>
#include <system_error>

namespace modemsim {
namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// A serial cable carries bytes untouched: no echo, no line editing, no CR/LF translation. The terminal
// keeps these settings after the slave is closed, so the program finds a raw line when it opens it.
void MakeSlaveRaw(const std::string& path) {
    flash410::platform::UniqueFd slave(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave.valid()) {
        Fail("cannot open " + path);
    }
    termios settings{};
    if (::tcgetattr(slave.get(), &settings) != 0) {
        Fail("cannot read the settings of " + path);
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    ::cfsetspeed(&settings, B19200);
    if (::tcsetattr(slave.get(), TCSANOW, &settings) != 0) {
        Fail("cannot set " + path + " to raw mode");
    }
    // Closing here also puts the master in its hung-up state until the program opens the slave.
}

}  // namespace

PseudoTerminal::PseudoTerminal() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    if (!master_.valid()) {
        Fail("cannot create a pseudo-terminal");
    }
    if (::grantpt(master_.get()) != 0 || ::unlockpt(master_.get()) != 0) {
        Fail("cannot unlock the pseudo-terminal");
    }
    std::array<char, 128> name{};
    if (::ptsname_r(master_.get(), name.data(), name.size()) != 0) {
        Fail("cannot name the pseudo-terminal");
    }
    slavePath_ = name.data();
    MakeSlaveRaw(slavePath_);
    // Non-blocking, so that a program that stops reading can never wedge the modem's writes.
    const int flags = ::fcntl(master_.get(), F_GETFL);
    if (flags < 0 || ::fcntl(master_.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
        Fail("cannot make the pseudo-terminal non-blocking");
    }
}

}  // namespace modemsim
