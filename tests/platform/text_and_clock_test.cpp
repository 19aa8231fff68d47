// The time of day the capture log stamps its lines with, the hexadecimal text the programs write, and the
// plain text they read whatever the locale.
#include <gtest/gtest.h>

#include <ctime>

#include "platform/hex_text.h"
#include "platform/plain_text.h"
#include "platform/time_of_day.h"

namespace flash410::platform {
namespace {

double LocalSecondsOf(std::time_t moment) {
    std::tm local{};
    local = *std::localtime(&moment);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
}

TEST(LocalTimeOfDay, IsTheLocalTimeBetweenTwoReadingsOfTheSystemClock) {
    const double before = LocalSecondsOf(std::time(nullptr));
    const double now = LocalTimeOfDaySeconds();
    const double after = LocalSecondsOf(std::time(nullptr));
    EXPECT_GE(now, 0.0);
    EXPECT_LT(now, platform::kSecondsPerDay);
    if (before <= after) {  // no midnight in between
        EXPECT_GE(now, before);
        EXPECT_LT(now, after + 1.0);
    }
}

TEST(HexText, WritesTwoDigitsAByteAndNumbersInAtLeastTheirDigits) {
    const std::uint8_t bytes[] = {0x0D, 0xA0, 0xFF};
    EXPECT_EQ(HexBytes(bytes), "0DA0FF");
    EXPECT_EQ(HexBytes(bytes, HexLetters::kLower), "0da0ff");
    EXPECT_EQ(HexNumber(0x3FFC00, 6), "3FFC00");
    EXPECT_EQ(HexNumber(10, 2), "0A");
    EXPECT_EQ(HexNumber(0x1234567, 6), "1234567");  // more digits where the value needs them
    EXPECT_EQ(HexNumber(0, 4), "0000");
}

TEST(PlainText, ComparesAsciiLettersInOneCaseAndReadsWholeNumbersOnly) {
    EXPECT_EQ(AsciiLowerCase("USB\\VID_0403&PID_6001 \xc3\x84"), "usb\\vid_0403&pid_6001 \xc3\x84");
    EXPECT_EQ(AsciiUpperCase("com5"), "COM5");
    EXPECT_TRUE(StartsWithIgnoringAsciiCase("Com12", "COM"));
    EXPECT_FALSE(StartsWithIgnoringAsciiCase("CO", "COM"));
    EXPECT_EQ(WholeNumber("38400"), 38400);
    EXPECT_EQ(WholeNumber("-5"), -5);
    for (const char* notANumber : {"", "5x", " 5", "5 ", "99999999999", "0x10"}) {
        EXPECT_EQ(WholeNumber(notANumber), std::nullopt) << notANumber;
    }
}

}  // namespace
}  // namespace flash410::platform
