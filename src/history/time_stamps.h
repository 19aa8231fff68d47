// The moments the upload history records, as ISO 8601 text to the millisecond: in UTC, which sorts and
// compares across places, and in the local time the engineer saw on the wall, with its offset.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace flash410::history {

using WallClock = std::chrono::system_clock;

// "2026-12-08T19:02:03.120Z".
std::string UtcStamp(WallClock::time_point at);
// The same moment offsetSeconds east of UTC: "2026-12-08T20:02:03.120+01:00".
std::string LocalStamp(WallClock::time_point at, std::int32_t offsetSeconds);
// The local time by the system's time zone rules for that moment.
std::string LocalStamp(WallClock::time_point at);

}  // namespace flash410::history
