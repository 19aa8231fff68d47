#include <ctime>

#include "platform/utc_offset.h"

namespace flash410::platform {

std::int32_t UtcOffsetSeconds(std::chrono::system_clock::time_point at) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) {
        return 0;
    }
    return static_cast<std::int32_t>(local.tm_gmtoff);
}

}  // namespace flash410::platform
