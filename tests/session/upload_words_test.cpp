// How each way of ending an upload is worded: the window's lines and the command line's one line.
#include "session/upload_words.h"

#include <gtest/gtest.h>

namespace flash410::session {
namespace {

using upload::UploadOutcome;

TEST(DescribeEnd, WordsEachEndForTheWindowAndTheCommandLine) {
    struct Case {
        UploadOutcome Outcome;
        std::int32_t BlocksSent;
        const char* Detail;
        EndWords Words;
    };
    const double start = 10 * 3600.0 / 86400;
    const Case cases[] = {
        {UploadOutcome::kComplete,
         12,
         "",
         {"Upload complete. Time taken: 42 seconds", "", "Upload complete. Time taken: 42 seconds"}},
        {UploadOutcome::kModemFailed,
         3,
         "",
         {"Upload HALTED. Time taken: 42 seconds", "",
          "Upload HALTED. Time taken: 42 seconds (the modem answered FAILED at block 3 of 12)"}},
        {UploadOutcome::kUnexpectedReply,
         0,
         "\nERASE STARTED\r\n",
         {"unexpected response: ERASE STARTED", "", "unexpected response: ERASE STARTED"}},
        {UploadOutcome::kTimedOut,
         0,
         "waiting for response",
         {"Timed out waiting for response", "", "Timed out waiting for response"}},
        {UploadOutcome::kTimedOut,
         2,
         "waiting for SEND BLOCK message",
         {"Timed out waiting for SEND BLOCK message", "",
          "Timed out waiting for SEND BLOCK message at block 2 of 12"}},
        {UploadOutcome::kConnectionLost,
         5,
         "The serial port closed during the upload.",
         {"Upload stopped", "The serial port closed during the upload.",
          "Upload stopped at block 5 of 12: The serial port closed during the upload. COM2 is no longer "
          "there."}},
        {UploadOutcome::kImageUnreadable,
         1,
         "The upload image fw.vxf ends before block 2",
         {"Upload stopped", "The upload image fw.vxf ends before block 2",
          "Upload stopped at block 1 of 12: The upload image fw.vxf ends before block 2"}},
        {UploadOutcome::kBlockRefused,
         4,
         "The modem asked for block 4 again (10 times)",
         {"Upload stopped", "The modem asked for block 4 again (10 times)",
          "Upload stopped at block 4 of 12: The modem asked for block 4 again (10 times)"}},
        {UploadOutcome::kStopped,
         7,
         "",
         {"Upload stopped by the operator", "", "Upload stopped by the operator at block 7 of 12"}},
    };
    for (const Case& c : cases) {
        const upload::UploadResult result{c.Outcome, c.BlocksSent, 0, start, start + 42.0 / 86400, c.Detail};
        const EndWords words = DescribeEnd(result, 12, "COM2 is no longer there.");
        EXPECT_EQ(words.Summary, c.Words.Summary) << c.Words.Line;
        EXPECT_EQ(words.Reason, c.Words.Reason) << c.Words.Line;
        EXPECT_EQ(words.Line, c.Words.Line);
    }
}

TEST(ShownModemText, DropsLineEndsAndShowsOtherControlCharactersAsDots) {
    EXPECT_EQ(ShownModemText("\nERASE ERROR\r\n"), "ERASE ERROR");
    EXPECT_EQ(ShownModemText("BAD\tBLOCK\x1b[2J 3\r"), "BAD.BLOCK.[2J 3");
    EXPECT_EQ(ShownModemText("\xff\x80OK"), "..OK");
    EXPECT_EQ(ShownModemText("\r\n"), "");
}

}  // namespace
}  // namespace flash410::session
