#include "platform/time_of_day.h"

#include <algorithm>
#include <cmath>

namespace flash410::platform {

double NormalizedTimeOfDay(double seconds) {
    if (!std::isfinite(seconds)) {
        return 0.0;
    }
    double wrapped = std::fmod(seconds, kSecondsPerDay);
    if (wrapped < 0.0) {
        wrapped += kSecondsPerDay;
    }
    // A tiny negative reading plus a whole day rounds up to exactly 86400.
    return wrapped < kSecondsPerDay ? wrapped : 0.0;
}

}  // namespace flash410::platform
