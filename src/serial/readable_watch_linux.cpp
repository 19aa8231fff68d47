// The watch's thread: poll() on the watched descriptor and on an eventfd that asks it to stop.
#include "serial/readable_watch_linux.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace flash410::serial {

ReadableWatch::ReadableWatch(int fd, std::function<void()> readable)
    : fd_(fd), readable_(std::move(readable)), stop_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (fd_ < 0 || !stop_.valid()) {
        return;
    }
    // A thread starts with its maker's signal mask: every signal blocked while it is made, so that a
    // process-wide SIGINT or SIGTERM never lands on this thread, which does not wait for it.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    try {
        watching_ = true;
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        watching_ = false;  // no thread to be had: the caller's slow poll is all there is
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

ReadableWatch::~ReadableWatch() {
    if (!thread_.joinable()) {
        return;
    }
    const std::uint64_t one = 1;
    // The eventfd counts up: this write cannot fail while the count is far from its limit.
    [[maybe_unused]] const ssize_t written = ::write(stop_.get(), &one, sizeof one);
    thread_.join();
}

bool ReadableWatch::Watching() const {
    return watching_;
}

void ReadableWatch::Run() {
    for (;;) {
        pollfd waits[2] = {{fd_, POLLIN, 0}, {stop_.get(), POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (waits[1].revents != 0) {
            break;
        }
        const short events = waits[0].revents;
        if ((events & POLLNVAL) != 0 || ((events & POLLHUP) != 0 && (events & POLLIN) == 0)) {
            break;  // nothing more will come
        }
        // An error is read as news too: a netlink socket whose queue overflowed says so once, by the read.
        if ((events & (POLLIN | POLLERR)) != 0) {
            readable_();
        }
    }
    watching_ = false;
}

}  // namespace flash410::serial
