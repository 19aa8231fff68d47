// The adapter watch on Linux is prompt exactly where a device monitor can be had.
#include <gtest/gtest.h>

#include "serial/adapter_monitor.h"
#include "serial/adapter_watch.h"

namespace flash410::serial {
namespace {

TEST(AdapterWatchLinux, PromptWhereverADeviceMonitorCanBeHad) {
    const AdapterMonitor monitor;
    const AdapterWatch watch([] {});
    EXPECT_EQ(watch.Prompt(), monitor.waitable() >= 0);
}

}  // namespace
}  // namespace flash410::serial
