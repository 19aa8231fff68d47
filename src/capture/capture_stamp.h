#pragma once

#include <string>

#include "platform/time_of_day.h"

namespace flash410::capture {

// The time of day as the long time format shows it: HH:mm:ss (whole seconds, the fraction dropped).
std::string ClockText(double secondsSinceMidnight);

// The milliseconds of a reading: the fraction of its second, rounded to the nearest millisecond. A fraction
// of 0.9995 or more gives 1000, not a carry into the next second.
int StampMilliseconds(double secondsSinceMidnight);

// The stamp that starts a capture line, such as 14:03:07:250 or 14:03:07:5 (no leading zeros in the
// milliseconds). The clock is read twice: once for the clock text, then once for the milliseconds.
std::string CaptureStamp(const platform::TimeOfDayClock& clock);

}  // namespace flash410::capture
