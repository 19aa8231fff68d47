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

// The estimate is the upload's pace: the wire time at ten bits a byte of n blocks and their requests
// (1043 bytes each) and the dialogue around them (78 bytes), plus a 2 s erase. q counts quarter minutes:
// q = ((n x 1043 + 78) x 10 / baud + 2) / 15, rounded half to even.

TEST(UploadTimeEstimate, ShortUploadsReadLessThanOrAboutOneMinute) {
    EXPECT_EQ(UploadTimeEstimate(0, 38400), " less than 1 minute");   // the erase and the dialogue alone
    EXPECT_EQ(UploadTimeEstimate(60, 38400), " less than 1 minute");  // 18.3 s: q = 1
    EXPECT_EQ(UploadTimeEstimate(279, 57600), " about 1 minute");     // q = 4 (3.502)
    // 255 blocks at 38400 take 1 min 12 s on the line: 71.3 s, q = 5 (4.752).
    EXPECT_EQ(UploadTimeEstimate(255, 38400), " about 1 minute");
    EXPECT_EQ(UploadTimeEstimate(445, 57600), " about 1.5 minutes");  // q = 6 (5.506)
}

TEST(UploadTimeEstimate, QuarterMinutesRoundHalfToEven) {
    EXPECT_EQ(UploadTimeEstimate(534, 4800), " about 20 minutes");    // 77.5 to the even 78: 19.5
    EXPECT_EQ(UploadTimeEstimate(1074, 1200), " about 156 minutes");  // 622.5 to the even 622: 155.5
    EXPECT_EQ(UploadTimeEstimate(2874, 1200), " about 417 minutes");  // 1665.5 to the even 1666: 416.5
}

TEST(UploadTimeEstimate, TwoSignificantDigitsRoundedHalfAwayFromZero) {
    EXPECT_EQ(UploadTimeEstimate(528, 57600), " about 1.8 minutes");    // q = 7: 1.75
    EXPECT_EQ(UploadTimeEstimate(694, 57600), " about 2.3 minutes");    // q = 9: 2.25
    EXPECT_EQ(UploadTimeEstimate(1273, 57600), " about 4 minutes");     // q = 16: 4.0
    EXPECT_EQ(UploadTimeEstimate(3510, 57600), " about 11 minutes");    // q = 43: 10.75
    EXPECT_EQ(UploadTimeEstimate(3179, 57600), " about 9.8 minutes");   // q = 39: 9.75
    EXPECT_EQ(UploadTimeEstimate(33000, 57600), " about 100 minutes");  // q = 399: 99.75
}

TEST(UploadTimeEstimate, TheWireTimeFollowsTheBaudRate) {
    // 300 blocks: 3129780 bits and the 2 s erase.
    EXPECT_EQ(UploadTimeEstimate(300, 1200), " about 44 minutes");      // q = 174 (174.01)
    EXPECT_EQ(UploadTimeEstimate(300, 2400), " about 22 minutes");      // q = 87: 21.75
    EXPECT_EQ(UploadTimeEstimate(300, 4800), " about 11 minutes");      // q = 44 (43.6)
    EXPECT_EQ(UploadTimeEstimate(300, 9600), " about 5.5 minutes");     // q = 22 (21.87)
    EXPECT_EQ(UploadTimeEstimate(300, 19200), " about 2.8 minutes");    // q = 11 (11.0006): 2.75
    EXPECT_EQ(UploadTimeEstimate(300, 38400), " about 1.5 minutes");    // q = 6 (5.57)
    EXPECT_EQ(UploadTimeEstimate(300, 115200), " less than 1 minute");  // q = 2 (1.94)
}

TEST(UploadTimeEstimate, FromAHundredMinutesOnWholeMinutes) {
    EXPECT_EQ(UploadTimeEstimate(33083, 57600), " about 100 minutes");  // q = 400
    EXPECT_EQ(UploadTimeEstimate(33166, 57600), " about 100 minutes");  // q = 401: 100.25
    EXPECT_EQ(UploadTimeEstimate(33249, 57600), " about 101 minutes");  // q = 402: 100.5 away from zero
    EXPECT_EQ(UploadTimeEstimate(4096, 1200), " about 594 minutes");    // q = 2374 (2373.58): 593.5
}

}  // namespace
}  // namespace flash410::upload
