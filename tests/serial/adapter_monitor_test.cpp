// The device manager's monitor with no news: whether or not one can be made here (a container has no
// device manager), asking it never waits and reports nothing, so the window can always ask.
#include "serial/adapter_monitor.h"

#include <gtest/gtest.h>
#include <poll.h>

namespace flash410::serial {
namespace {

TEST(AdapterMonitorTest, WithoutNewsItReportsNoChangeAndNeverWaits) {
    AdapterMonitor monitor;
    if (monitor.waitable() >= 0) {
        pollfd watched{monitor.waitable(), POLLIN, 0};
        ASSERT_GE(poll(&watched, 1, 0), 0);
        if ((watched.revents & POLLIN) != 0) {
            GTEST_SKIP() << "a serial device came or went just now";
        }
    }
    EXPECT_FALSE(monitor.TakeChanges());
    EXPECT_FALSE(monitor.TakeChanges());
}

}  // namespace
}  // namespace flash410::serial
