// The Event Log takes an entry of every severity, and one longer than ReportEvent allows, cut to its
// length. (Wine's Event Log takes every entry and keeps none: under Wine this shows only that the calls
// are made as the system wants them.)
#include <gtest/gtest.h>

#include "platform/system_log.h"

namespace flash410::platform {
namespace {

TEST(EventLog, EveryEntryIsTaken) {
    SystemLog log("flash410-tests");
    for (const LogSeverity severity :
         {LogSeverity::kInformation, LogSeverity::kWarning, LogSeverity::kError}) {
        EXPECT_EQ(log.Write(SystemLogEntry{"flash410 test entry", severity, {{"FLASH410_TEST", "1"}}}),
                  std::nullopt);
    }
    // Past ReportEvent's limit of 31,839 characters, with a character of two UTF-16 units across it.
    std::string longest(31838, 'x');
    for (int more = 0; more < 100; ++more) {
        longest += "\xF0\x9F\x93\xA1";  // U+1F4E1
    }
    EXPECT_EQ(log.Write(SystemLogEntry{longest, LogSeverity::kInformation, {}}), std::nullopt);
}

}  // namespace
}  // namespace flash410::platform
