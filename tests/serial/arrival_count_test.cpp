// Telling new bytes on the line from bytes that were already waiting, as both backends' event waits do.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "serial/arrival_count.h"

namespace flash410::serial {
namespace {

std::optional<bool> Look(ArrivalCount& arrivals, std::uint64_t waiting) {
    return arrivals.ArrivedSinceLastReport([waiting] { return std::optional<std::uint64_t>(waiting); });
}

TEST(ArrivalCount, ReportsAnArrivalOnceHoweverLongItsBytesWaitUnread) {
    ArrivalCount arrivals;
    EXPECT_EQ(Look(arrivals, 0), false);
    EXPECT_EQ(Look(arrivals, 3), true);
    EXPECT_EQ(Look(arrivals, 3), false);  // still unread: nothing new
    arrivals.CountTaken(3);
    EXPECT_EQ(Look(arrivals, 0), false);  // taken: nothing new
    EXPECT_EQ(Look(arrivals, 1), true);

    arrivals.Reset();  // a port opened anew
    EXPECT_EQ(Look(arrivals, 1), true);
}

// The reader takes the bytes just after the driver has counted them as waiting: they are not counted
// twice, or the next arrival would go unreported.
TEST(ArrivalCount, BytesTakenWhileTheDriverIsAskedHideNoLaterArrival) {
    ArrivalCount arrivals;
    EXPECT_EQ(arrivals.ArrivedSinceLastReport([&arrivals] {
        arrivals.CountTaken(3);
        return std::optional<std::uint64_t>(3);
    }),
              true);
    EXPECT_EQ(Look(arrivals, 0), false);
    EXPECT_EQ(Look(arrivals, 2), true);
}

TEST(ArrivalCount, ADriverThatCannotTellGivesNoAnswer) {
    ArrivalCount arrivals;
    EXPECT_EQ(arrivals.ArrivedSinceLastReport([] { return std::optional<std::uint64_t>(); }), std::nullopt);
    EXPECT_EQ(Look(arrivals, 2), true);
}

}  // namespace
}  // namespace flash410::serial
