#include "history/time_stamps.h"

#include <gtest/gtest.h>

#include <regex>

#include "platform/utc_offset.h"

namespace flash410::history {
namespace {

using namespace std::chrono;

// 2026-12-08 19:02:03.120 UTC.
const WallClock::time_point kMoment =
    sys_days{year{2026} / December / 8} + hours{19} + minutes{2} + seconds{3} + milliseconds{120};

TEST(TimeStamps, UtcIsWrittenToTheMillisecondWithAZ) {
    EXPECT_EQ(UtcStamp(kMoment), "2026-12-08T19:02:03.120Z");
    // Below a millisecond is cut, not rounded up into the next second.
    EXPECT_EQ(UtcStamp(sys_days{year{2027} / January / 1} - microseconds{1}), "2026-12-31T23:59:59.999Z");
}

TEST(TimeStamps, LocalTimeCarriesItsOffsetAndMayFallOnAnotherDay) {
    EXPECT_EQ(LocalStamp(kMoment, 3600), "2026-12-08T20:02:03.120+01:00");
    EXPECT_EQ(LocalStamp(kMoment, 5 * 3600 + 30 * 60), "2026-12-09T00:32:03.120+05:30");
    EXPECT_EQ(LocalStamp(kMoment, -(19 * 3600 + 30 * 60)), "2026-12-07T23:32:03.120-19:30");
    EXPECT_EQ(LocalStamp(kMoment, 0), "2026-12-08T19:02:03.120+00:00");
}

TEST(TimeStamps, TheSystemsLocalTimeIsTheUtcTimeMovedByItsOffset) {
    const std::string local = LocalStamp(kMoment);
    EXPECT_EQ(local, LocalStamp(kMoment, platform::UtcOffsetSeconds(kMoment)));
    EXPECT_TRUE(std::regex_match(local, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.120[+-]\d\d:\d\d)")))
        << local;
}

}  // namespace
}  // namespace flash410::history
