// Windows converts a UTC system time to local time by the zone's rules for that date; the offset is the
// difference of the two as file times.
#include <windows.h>

#include "platform/utc_offset.h"

namespace flash410::platform {

namespace {

// 100-nanosecond intervals between 1601-01-01 (the file time epoch) and 1970-01-01.
constexpr std::int64_t kUnixEpochInFileTime = 116444736000000000LL;
constexpr std::int64_t kFileTimeTicksPerSecond = 10'000'000;

std::int64_t Ticks(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}

}  // namespace

std::int32_t UtcOffsetSeconds(std::chrono::system_clock::time_point at) {
    const std::int64_t seconds =
        std::chrono::duration_cast<std::chrono::seconds>(at.time_since_epoch()).count();
    const auto ticks = static_cast<std::uint64_t>(seconds * kFileTimeTicksPerSecond + kUnixEpochInFileTime);
    FILETIME utcFile{static_cast<DWORD>(ticks & 0xFFFFFFFFU), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    FILETIME localFile{};
    if (FileTimeToSystemTime(&utcFile, &utc) == 0 ||
        SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) == 0 ||
        SystemTimeToFileTime(&local, &localFile) == 0) {
        return 0;
    }
    return static_cast<std::int32_t>((Ticks(localFile) - Ticks(utcFile)) / kFileTimeTicksPerSecond);
}

}  // namespace flash410::platform
