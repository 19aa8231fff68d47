#pragma once

#include <functional>

namespace flash410::platform {

inline constexpr double kSecondsPerDay = 86400.0;

// Seconds since local midnight, as a real number.
using TimeOfDayClock = std::function<double()>;

// The real local time of day in seconds since midnight, in [0, 86400).
double LocalTimeOfDaySeconds();

// Brings any clock reading into [0, 86400): readings past midnight wrap, and a reading that is not a
// number counts as midnight, so a faulty clock can never lead to an out-of-range conversion.
double NormalizedTimeOfDay(double seconds);

}  // namespace flash410::platform
