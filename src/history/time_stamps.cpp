#include "history/time_stamps.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "platform/utc_offset.h"

namespace flash410::history {

namespace {

using std::chrono::milliseconds;

// The calendar date and time of day of a moment as if UTC were shifted by offsetSeconds, without the zone.
std::string DateAndTime(WallClock::time_point at, std::int32_t offsetSeconds) {
    const auto shifted = std::chrono::floor<milliseconds>(at) + std::chrono::seconds(offsetSeconds);
    const auto day = std::chrono::floor<std::chrono::days>(shifted);
    const std::chrono::year_month_day date(day);
    const std::chrono::hh_mm_ss time(shifted - day);
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%04d-%02u-%02uT%02d:%02d:%02d.%03d",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()),
                  static_cast<int>(time.subseconds().count()));
    return text.data();
}

}  // namespace

std::string UtcStamp(WallClock::time_point at) {
    return DateAndTime(at, 0) + "Z";
}

std::string LocalStamp(WallClock::time_point at, std::int32_t offsetSeconds) {
    const std::int32_t minutes = std::abs(offsetSeconds) / 60;
    std::array<char, 16> offset{};  // room for any int, though real offsets are within a day
    std::snprintf(offset.data(), offset.size(), "%c%02d:%02d", offsetSeconds < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    return DateAndTime(at, offsetSeconds) + offset.data();
}

std::string LocalStamp(WallClock::time_point at) {
    return LocalStamp(at, platform::UtcOffsetSeconds(at));
}

}  // namespace flash410::history
