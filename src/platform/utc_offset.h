// How far local time stands from UTC at a moment, as the system's time zone rules say (daylight saving
// included), so that a time stamp can carry both.
#pragma once

#include <chrono>
#include <cstdint>

namespace flash410::platform {

// Seconds east of UTC at the moment: 3600 for Central European winter time, -18000 for New York's. 0 when
// the system knows no time zone.
std::int32_t UtcOffsetSeconds(std::chrono::system_clock::time_point at);

}  // namespace flash410::platform
