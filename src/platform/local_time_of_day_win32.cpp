#include <windows.h>

#include <algorithm>

#include "platform/time_of_day.h"

namespace flash410::platform {

double LocalTimeOfDaySeconds() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    // A leap second (60) is shown as the last second of its minute.
    const int second = std::min<int>(local.wSecond, 59);
    return NormalizedTimeOfDay(local.wHour * 3600.0 + local.wMinute * 60.0 + second +
                               local.wMilliseconds / 1000.0);
}

}  // namespace flash410::platform
