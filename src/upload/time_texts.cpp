#include "upload/time_texts.h"

#include <algorithm>
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

// The pace the upload keeps: the dialogue goes in lock step, each block answered at once, so an upload takes
// the wire time of what both ends send, ten bits a byte, and the erase. Per block its 1031 bytes and the
// modem's SEND BLOCK before it (with CR LF); once more SEND BLOCK after the last block, and around the
// blocks UP BULK, READY, GO, ERASING, ERASE COMPLETE, UPLOAD DONE and THANK YOU with their line ends.
constexpr std::int64_t kBlockBytes = 1031;
constexpr std::int64_t kBlockRequestBytes = 12;
constexpr std::int64_t kDialogueBytes = kBlockRequestBytes + 8 + 7 + 3 + 9 + 16 + 12 + 11;
constexpr std::int64_t kBitsPerByte = 10;
// The modem's erase of the flash, as the simulated modem takes it.
constexpr std::int64_t kEraseMilliseconds = 2000;
constexpr std::int64_t kMillisecondsPerQuarterMinute = 15'000;

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
    // q counts quarter minutes: (bits x 1000 / baud + erase ms) / 15000, in exact integer arithmetic.
    const std::int64_t baud = std::max<std::int64_t>(baudrate, 1);
    const std::int64_t bytes = static_cast<std::int64_t>(std::max<std::int32_t>(blockCount, 0)) *
                                   (kBlockBytes + kBlockRequestBytes) +
                               kDialogueBytes;
    const std::int64_t q = RoundHalfEven(bytes * kBitsPerByte * 1000 + kEraseMilliseconds * baud,
                                         kMillisecondsPerQuarterMinute * baud);
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
