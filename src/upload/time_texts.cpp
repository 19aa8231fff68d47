#include "upload/time_texts.h"

#include <cmath>
#include <cstdio>

namespace flash410::upload {

namespace {

constexpr double kMillisecondsPerDay = 86'400'000.0;

std::string TwoDigits(long long value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02lld", value);
    return text;
}

// Seconds per block as hundredths, by rate.
std::int64_t FactorHundredths(std::int32_t baudrate) {
    switch (baudrate) {
        case 1200:
            return 1000;
        case 2400:
            return 500;
        case 4800:
            return 360;
        case 9600:
            return 280;
        case 19200:
            return 233;
        case 38400:
            return 177;
        case 57600:
            return 100;
        default:
            return 300;
    }
}

// numerator / denominator rounded to the nearest whole number, halves to the even neighbour.
std::int64_t RoundHalfEven(std::int64_t numerator, std::int64_t denominator) {
    std::int64_t quotient = numerator / denominator;
    const std::int64_t twiceRemainder = 2 * (numerator % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && quotient % 2 != 0)) {
        ++quotient;
    }
    return quotient;
}

}  // namespace

std::string ElapsedTimeText(double startTime, double endTime) {
    if (!(endTime > startTime)) {
        return "unavailable";
    }
    // Whole milliseconds first, as the clock's own resolution, so that 7 s never reads as 6.999 s.
    const long long totalMs = std::llround((endTime - startTime) * kMillisecondsPerDay);
    const long long totalSeconds = totalMs / 1000;
    const long long minutes = (totalSeconds / 60) % 60;
    const long long seconds = totalSeconds % 60;
    if (minutes != 0) {
        return TwoDigits(minutes) + ":" + TwoDigits(seconds) + " minutes";
    }
    return std::to_string(seconds) + " seconds";
}

std::string UploadTimeEstimate(std::int32_t blockCount, std::int32_t baudrate) {
    // q counts quarter minutes: blocks x factor / 30, in exact integer arithmetic.
    const std::int64_t q =
        RoundHalfEven(static_cast<std::int64_t>(blockCount) * FactorHundredths(baudrate), 3000);
    if (q <= 3) {
        return " less than 1 minute";
    }
    if (q <= 5) {
        return " about 1 minute";
    }
    const std::int64_t hundredths = q * 25;  // minutes x 100, exact
    std::string number;
    if (hundredths < 1000) {
        // Two significant digits: one decimal, rounded half away from zero, a trailing zero dropped.
        const std::int64_t tenths = (hundredths + 5) / 10;
        number = std::to_string(tenths / 10);
        if (tenths % 10 != 0) {
            number += "." + std::to_string(tenths % 10);
        }
    } else {
        // Whole minutes; below 100 that is two significant digits, above it every digit is kept.
        number = std::to_string((hundredths + 50) / 100);
    }
    return " about " + number + " minutes";
}

}  // namespace flash410::upload
