#include "program/termination_signals.h"

#include <sys/signalfd.h>

#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace modemsim {

TerminationSignals::TerminationSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    if (const int error = pthread_sigmask(SIG_BLOCK, &signals, &previous_); error != 0) {
        throw std::system_error(error, std::generic_category(), "cannot block SIGINT and SIGTERM");
    }
    fd_.Reset(::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK));
    if (!fd_.valid()) {
        const int error = errno;
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
        throw std::system_error(error, std::generic_category(), "cannot watch SIGINT and SIGTERM");
    }
}

TerminationSignals::~TerminationSignals() {
    // The signal that ended the modem is still pending; taken here, it cannot kill the process when the
    // old mask comes back.
    signalfd_siginfo info{};
    while (::read(fd_.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    }
    fd_.Reset();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace modemsim
