#include "modem_sim/baud_rate.h"

#include <array>
#include <utility>

namespace modemsim {

std::chrono::nanoseconds ByteTime(int baud) {
    if (baud <= 0) {
        return std::chrono::nanoseconds{0};
    }
    constexpr long long kBitsPerByte = 10;
    constexpr long long kNanosecondsPerSecond = 1000000000;
    return std::chrono::nanoseconds{kBitsPerByte * kNanosecondsPerSecond / baud};
}

int SpeedToBaud(speed_t speed) {
    static constexpr std::array<std::pair<speed_t, int>, 18> kSpeeds{{
        {B50, 50},
        {B75, 75},
        {B110, 110},
        {B134, 134},
        {B150, 150},
        {B200, 200},
        {B300, 300},
        {B600, 600},
        {B1200, 1200},
        {B1800, 1800},
        {B2400, 2400},
        {B4800, 4800},
        {B9600, 9600},
        {B19200, 19200},
        {B38400, 38400},
        {B57600, 57600},
        {B115200, 115200},
        {B230400, 230400},
    }};
    for (const auto& [constant, baud] : kSpeeds) {
        if (constant == speed) {
            return baud;
        }
    }
    return 0;
}

}  // namespace modemsim
