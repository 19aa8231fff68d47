// The elapsed-time text and the upload time estimate.
#include <gtest/gtest.h>

#include "upload/time_texts.h"

namespace flash410::upload {
namespace {

double TimeOfDay(int hours, int minutes, int seconds, int milliseconds = 0) {
    return ((hours * 60 + minutes) * 60 + seconds + milliseconds / 1000.0) / 86400.0;
}

TEST(ElapsedTimeText, ShowsSecondsAloneOrMinutesAndSeconds) {
    const double start = TimeOfDay(10, 0, 0);
    EXPECT_EQ(ElapsedTimeText(start, TimeOfDay(10, 0, 7)), "7 seconds");
    EXPECT_EQ(ElapsedTimeText(start, TimeOfDay(10, 0, 0, 900)), "0 seconds");  // fractions are dropped
    EXPECT_EQ(ElapsedTimeText(start, TimeOfDay(10, 12, 3)), "12:03 minutes");
    EXPECT_EQ(ElapsedTimeText(start, TimeOfDay(11, 2, 5)), "02:05 minutes");  // the hours are dropped
    EXPECT_EQ(ElapsedTimeText(start, TimeOfDay(11, 0, 30)), "30 seconds");
    EXPECT_EQ(ElapsedTimeText(start, TimeOfDay(10, 1, 0)), "01:00 minutes");
}

TEST(ElapsedTimeText, IsUnavailableWhenTheEndIsNotAfterTheStart) {
    EXPECT_EQ(ElapsedTimeText(TimeOfDay(10, 0, 0), TimeOfDay(10, 0, 0)), "unavailable");
    EXPECT_EQ(ElapsedTimeText(TimeOfDay(23, 59, 0), TimeOfDay(0, 1, 0)), "unavailable");  // past midnight
}

TEST(ElapsedTimeText, WholeSecondsSurviveFloatingPointDifferences) {
    // Differences of times of day are not exact in binary; 7 s must not read as 6.
    for (int second = 0; second < 86400 - 60; second += 997) {
        EXPECT_EQ(ElapsedTimeText(TimeOfDay(0, 0, second), TimeOfDay(0, 0, second + 7)), "7 seconds")
            << second;
    }
}

TEST(UploadTimeEstimate, ShortUploadsReadLessThanOrAboutOneMinute) {
    EXPECT_EQ(UploadTimeEstimate(0, 38400), " less than 1 minute");
    EXPECT_EQ(UploadTimeEstimate(3, 38400), " less than 1 minute");
    // 60 blocks at 38400: 60 x 1.77 / 30 = 3.54, q = 4, one minute.
    EXPECT_EQ(UploadTimeEstimate(60, 38400), " about 1 minute");
    // 45 blocks at 57600: 45 / 30 = 1.5, a half, rounds to the even 2: less than a minute.
    EXPECT_EQ(UploadTimeEstimate(45, 57600), " less than 1 minute");
    // 75 blocks at 57600: 2.5 rounds to 2.
    EXPECT_EQ(UploadTimeEstimate(75, 57600), " less than 1 minute");
    // 105 blocks at 57600: 3.5 rounds to 4: one minute.
    EXPECT_EQ(UploadTimeEstimate(105, 57600), " about 1 minute");
    // 165 at 57600: 5.5 rounds to 6, 1.5 minutes.
    EXPECT_EQ(UploadTimeEstimate(165, 57600), " about 1.5 minutes");
}

TEST(UploadTimeEstimate, TwoSignificantDigitsRoundedHalfAwayFromZero) {
    EXPECT_EQ(UploadTimeEstimate(200, 19200), " about 4 minutes");      // q = 16 (15.53)
    EXPECT_EQ(UploadTimeEstimate(210, 57600), " about 1.8 minutes");    // q = 7: 1.75
    EXPECT_EQ(UploadTimeEstimate(270, 57600), " about 2.3 minutes");    // q = 9: 2.25
    EXPECT_EQ(UploadTimeEstimate(360, 57600), " about 3 minutes");      // q = 12: 3.0
    EXPECT_EQ(UploadTimeEstimate(1290, 57600), " about 11 minutes");    // q = 43: 10.75
    EXPECT_EQ(UploadTimeEstimate(1170, 57600), " about 9.8 minutes");   // q = 39: 9.75
    EXPECT_EQ(UploadTimeEstimate(11970, 57600), " about 100 minutes");  // q = 399: 99.75
}

TEST(UploadTimeEstimate, FactorsFollowTheBaudRate) {
    // 300 blocks: q = 300 x factor / 30 = 10 x factor.
    EXPECT_EQ(UploadTimeEstimate(300, 1200), " about 25 minutes");     // q = 100
    EXPECT_EQ(UploadTimeEstimate(300, 2400), " about 13 minutes");     // q = 50: 12.5
    EXPECT_EQ(UploadTimeEstimate(300, 4800), " about 9 minutes");      // q = 36
    EXPECT_EQ(UploadTimeEstimate(300, 9600), " about 7 minutes");      // q = 28
    EXPECT_EQ(UploadTimeEstimate(300, 19200), " about 5.8 minutes");   // q = 23 (23.3): 5.75
    EXPECT_EQ(UploadTimeEstimate(300, 38400), " about 4.5 minutes");   // q = 18 (17.7)
    EXPECT_EQ(UploadTimeEstimate(300, 115200), " about 7.5 minutes");  // any other rate: 3.0, q = 30
}

TEST(UploadTimeEstimate, FromAHundredMinutesOnWholeMinutes) {
    EXPECT_EQ(UploadTimeEstimate(12000, 57600), " about 100 minutes");  // q = 400
    EXPECT_EQ(UploadTimeEstimate(12030, 57600), " about 100 minutes");  // q = 401: 100.25
    EXPECT_EQ(UploadTimeEstimate(12060, 57600), " about 101 minutes");  // q = 402: 100.5 away from zero
    EXPECT_EQ(UploadTimeEstimate(4096, 1200), " about 341 minutes");    // q = 1365: 341.25
}

}  // namespace
}  // namespace flash410::upload
