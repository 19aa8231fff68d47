#include "capture/capture_stamp.h"

#include <gtest/gtest.h>

#include <limits>

#include "fake_clock.h"

namespace flash410::capture {
namespace {

constexpr double kAt140307 = 14 * 3600 + 3 * 60 + 7;

TEST(CaptureClockText, ShowsHoursMinutesSecondsWithTwoDigitsEach) {
    EXPECT_EQ(ClockText(kAt140307 + 0.25), "14:03:07");
    EXPECT_EQ(ClockText(0.0), "00:00:00");
    EXPECT_EQ(ClockText(9 * 3600 + 5 * 60 + 1), "09:05:01");
}

TEST(CaptureClockText, DropsTheFractionRatherThanRoundingUp) {
    EXPECT_EQ(ClockText(kAt140307 + 0.9999), "14:03:07");
    EXPECT_EQ(ClockText(platform::kSecondsPerDay - 0.001), "23:59:59");
}

TEST(CaptureClockText, FaultyReadingsStillGiveAValidTime) {
    EXPECT_EQ(ClockText(-1.0), "23:59:59");
    EXPECT_EQ(ClockText(platform::kSecondsPerDay + 3661.5), "01:01:01");
    EXPECT_EQ(ClockText(std::numeric_limits<double>::quiet_NaN()), "00:00:00");
    EXPECT_EQ(ClockText(std::numeric_limits<double>::infinity()), "00:00:00");
    EXPECT_EQ(ClockText(-1e-300), "00:00:00");
}

TEST(CaptureMilliseconds, RoundToTheNearestMillisecond) {
    EXPECT_EQ(StampMilliseconds(kAt140307 + 0.25), 250);
    EXPECT_EQ(StampMilliseconds(kAt140307 + 0.0054), 5);
    EXPECT_EQ(StampMilliseconds(kAt140307 + 0.0056), 6);
    EXPECT_EQ(StampMilliseconds(kAt140307), 0);
    EXPECT_EQ(StampMilliseconds(kAt140307 + 0.0004), 0);
}

TEST(CaptureMilliseconds, AFractionThatRoundsUpGivesOneThousand) {
    EXPECT_EQ(StampMilliseconds(kAt140307 + 0.9996), 1000);
    EXPECT_EQ(StampMilliseconds(59.9999), 1000);
}

TEST(CaptureMilliseconds, FaultyReadingsStayInRange) {
    EXPECT_EQ(StampMilliseconds(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(StampMilliseconds(-0.25), 750);
    const int huge = StampMilliseconds(1e300);
    EXPECT_GE(huge, 0);
    EXPECT_LE(huge, 1000);
}

TEST(CaptureStampText, TakesTheClockTextFromTheFirstReadingAndTheMillisecondsFromTheSecond) {
    const platform::TimeOfDayClock clock = test::FakeClock({kAt140307 + 0.999, kAt140307 + 1.001});
    EXPECT_EQ(CaptureStamp(clock), "14:03:07:1");
}

TEST(CaptureStampText, ShowsTheMillisecondsWithoutLeadingZerosAndOneThousandRatherThanCarrying) {
    EXPECT_EQ(CaptureStamp(test::FakeClock({kAt140307 + 0.005})), "14:03:07:5");
    EXPECT_EQ(CaptureStamp(test::FakeClock({kAt140307 + 0.9997})), "14:03:07:1000");
}

}  // namespace
}  // namespace flash410::capture
