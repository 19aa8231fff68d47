// Waits that end early when the stop descriptor turns readable.
#pragma once

#include <time.h>

#include <chrono>

namespace modemsim {

using Clock = std::chrono::steady_clock;

// A duration for ppoll(); negative ones become zero.
timespec ToTimespec(Clock::duration duration);

// True when the stop descriptor is readable now.
bool StopRequested(int stopFd);

// Sleeps until the deadline on the monotonic clock; false when a stop came first.
bool SleepUntil(int stopFd, Clock::time_point deadline);

inline bool SleepFor(int stopFd, Clock::duration duration) {
    return SleepUntil(stopFd, Clock::now() + duration);
}

}  // namespace modemsim
