#include "modem_sim/interruptible_wait.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <system_error>

namespace modemsim {
namespace {

// ppoll on the stop descriptor alone; the timeout is null for "forever".
bool StopWithin(int stopFd, const timespec* timeout) {
    pollfd stop{stopFd, POLLIN, 0};
    for (;;) {
        const int ready = ::ppoll(&stop, 1, timeout, nullptr);
        if (ready >= 0) {
            return ready > 0;
        }
        if (errno != EINTR) {
            throw std::system_error(errno, std::generic_category(), "waiting for the stop signal");
        }
    }
}

}  // namespace

timespec ToTimespec(Clock::duration duration) {
    const auto ns =
        std::max<long long>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count());
    return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

bool StopRequested(int stopFd) {
    const timespec now{0, 0};
    return StopWithin(stopFd, &now);
}

bool SleepUntil(int stopFd, Clock::time_point deadline) {
    for (;;) {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) {
            return !StopRequested(stopFd);
        }
        const timespec timeout = ToTimespec(left);
        if (StopWithin(stopFd, &timeout)) {
            return false;
        }
    }
}

}  // namespace modemsim
