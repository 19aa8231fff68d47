#include <algorithm>
#include <ctime>

#include "platform/time_of_day.h"

namespace flash410::platform {

double LocalTimeOfDaySeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const double fraction = static_cast<double>(now.tv_nsec) / 1e9;
    std::tm local{};
    if (::localtime_r(&now.tv_sec, &local) == nullptr) {
        // Without a time zone the UTC time of day is still a usable stamp.
        return NormalizedTimeOfDay(static_cast<double>(now.tv_sec % 86400) + fraction);
    }
    // A leap second (tm_sec 60) is shown as the last second of its minute.
    const int second = std::min(local.tm_sec, 59);
    return NormalizedTimeOfDay(local.tm_hour * 3600.0 + local.tm_min * 60.0 + second + fraction);
}

}  // namespace flash410::platform
