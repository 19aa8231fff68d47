#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>

#include "platform/stop_signal_watcher.h"
#include "platform/unique_fd.h"

namespace flash410::platform {

namespace {

sigset_t StopSignals(HangUp hangUp) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    if (hangUp == HangUp::kStops) {
        sigaddset(&signals, SIGHUP);
    }
    return signals;
}

}  // namespace

// The signals arrive through a signalfd rather than a handler: blocked, they interrupt no thread's system
// calls, and the descriptor serves poll() and event loops alike.
struct StopSignalWatcher::State {
    sigset_t signals{};
    sigset_t previous{};  // the thread's blocking before the watcher
    UniqueFd fd;
    int error = 0;
};

void BlockStopSignals(HangUp hangUp) {
    const sigset_t signals = StopSignals(hangUp);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

StopSignalWatcher::StopSignalWatcher(HangUp hangUp) : state_(std::make_unique<State>()) {
    state_->signals = StopSignals(hangUp);
    pthread_sigmask(SIG_BLOCK, &state_->signals, &state_->previous);
    state_->fd.Reset(::signalfd(-1, &state_->signals, SFD_NONBLOCK | SFD_CLOEXEC));
    if (!state_->fd.valid()) {
        state_->error = errno;
        // Nobody would take the signals: let them end the program as usual, even where they were blocked
        // for the watcher beforehand.
        pthread_sigmask(SIG_UNBLOCK, &state_->signals, nullptr);
    }
}

StopSignalWatcher::~StopSignalWatcher() {
    if (!state_->fd.valid()) {
        return;
    }
    // A signal that came and was not taken is still pending: taken here, it cannot end the program when
    // the blocking before comes back.
    TakeRequests();
    state_->fd.Reset();
    pthread_sigmask(SIG_SETMASK, &state_->previous, nullptr);
}

int StopSignalWatcher::Error() const {
    return state_->error;
}

bool StopSignalWatcher::Requested() const {
    if (!state_->fd.valid()) {
        return false;
    }
    pollfd ready{state_->fd.get(), POLLIN, 0};
    int count;
    do {
        count = ::poll(&ready, 1, 0);
    } while (count < 0 && errno == EINTR);
    return count > 0;
}

bool StopSignalWatcher::TakeRequests() {
    bool taken = false;
    signalfd_siginfo info{};
    while (state_->fd.valid() &&
           ::read(state_->fd.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        taken = true;
    }
    return taken;
}

StopSignalWatcher::WaitObject StopSignalWatcher::Waitable() const {
    return state_->fd.get();
}

}  // namespace flash410::platform
