#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QSocketNotifier>

#include "window/termination_signals.h"

namespace flash410 {

namespace {
sigset_t TerminationSignals() {
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGHUP);  // the terminal the program was started from has gone
    return blocked;
}
}  // namespace

void BlockTerminationSignals() {
    const sigset_t blocked = TerminationSignals();
    pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
}

TerminationWatcher::TerminationWatcher(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    const sigset_t blocked = TerminationSignals();
    signalFd_ = signalfd(-1, &blocked, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signalFd_ < 0) {
        // Without the descriptor nobody would take the signals: let them end the program as usual.
        pthread_sigmask(SIG_UNBLOCK, &blocked, nullptr);
        return;
    }
    notifier_ = new QSocketNotifier(signalFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        signalfd_siginfo info{};
        while (::read(signalFd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        }
        Notify();
    });
}

void TerminationWatcher::Notify() {
    onSignal_();
}

TerminationWatcher::~TerminationWatcher() {
    if (notifier_ != nullptr) {
        notifier_->setEnabled(false);  // before its descriptor goes
    }
    if (signalFd_ >= 0) {
        ::close(signalFd_);
    }
}

}  // namespace flash410
