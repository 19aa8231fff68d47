// The system log on every system: field names made fit for the journal, the Event Log's text, and a write
// that never throws and says any failure in the operator's words.
#include "platform/system_log.h"

#include <gtest/gtest.h>

namespace flash410::platform {
namespace {

TEST(SystemLogFieldName, AFitNameStaysAndAnyOtherIsMadeFit) {
    EXPECT_EQ(SystemLogFieldName("FLASH410_OUTCOME"), "FLASH410_OUTCOME");
    EXPECT_EQ(SystemLogFieldName("flash410_image_sha256"), "FLASH410_IMAGE_SHA256");
    EXPECT_EQ(SystemLogFieldName("adapter serial-no.\xc3\xa9"), "ADAPTER_SERIAL_NO___");
    // Leading '_' marks the journal's own fields, which it takes from no program.
    EXPECT_EQ(SystemLogFieldName("__SECRET"), "SECRET");
    EXPECT_EQ(SystemLogFieldName("9LIVES"), "FIELD_9LIVES");
    EXPECT_EQ(SystemLogFieldName(""), "FIELD_");
    EXPECT_EQ(SystemLogFieldName("___"), "FIELD_");
    // The entry's own fields are written once.
    EXPECT_EQ(SystemLogFieldName("message"), "FIELD_MESSAGE");
    EXPECT_EQ(SystemLogFieldName("PRIORITY"), "FIELD_PRIORITY");
    EXPECT_EQ(SystemLogFieldName("SYSLOG_IDENTIFIER"), "FIELD_SYSLOG_IDENTIFIER");
    EXPECT_EQ(SystemLogFieldName("MESSAGE_ID"), "MESSAGE_ID");

    const std::string longest(64, 'A');
    EXPECT_EQ(SystemLogFieldName(longest), longest);
    EXPECT_EQ(SystemLogFieldName(longest + "B"), longest);
    EXPECT_EQ(SystemLogFieldName("7" + longest).size(), 64U);
}

TEST(EventLogText, TheFieldsFollowTheMessageOneALineWithFitNamesAndNoLineEndWithin) {
    const SystemLogEntry entry{
        "Upload complete: fw.hex",
        LogSeverity::kInformation,
        {{"FLASH410_OUTCOME", "complete"}, {"flash410 port", "COM5"}, {"DETAIL", "a\r\nb\nc"}}};
    EXPECT_EQ(EventLogText(entry),
              "Upload complete: fw.hex\r\nFLASH410_OUTCOME=complete\r\nFLASH410_PORT=COM5\r\nDETAIL=a  b c");
    EXPECT_EQ(EventLogText(SystemLogEntry{"Alone", LogSeverity::kError, {}}), "Alone");
}

// Whatever the system's log does with it (Wine's Event Log and a machine without a journal included), a
// write returns, and a failure is said in the one wording.
TEST(SystemLog, AWriteNeverThrowsAndSaysAnyFailureInWords) {
    SystemLog log("flash410-tests");
    for (const LogSeverity severity :
         {LogSeverity::kInformation, LogSeverity::kWarning, LogSeverity::kError}) {
        std::optional<std::string> problem;
        ASSERT_NO_THROW(
            problem = log.Write(SystemLogEntry{
                "flash410 test entry", severity, {{"FLASH410_TEST", "1"}, {"bad name", "a\nb"}}}));
        if (problem) {
            EXPECT_TRUE(problem->starts_with("The system log did not take the record: ")) << *problem;
            EXPECT_GT(problem->size(), std::string_view("The system log did not take the record: ").size());
        }
    }
}

}  // namespace
}  // namespace flash410::platform
