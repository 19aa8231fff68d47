// A capture log read back as the campaign reads it: what went to the modem, and the lines that do not read.
#include "campaign/capture_reading.h"

#include <gtest/gtest.h>

#include <string>

namespace flash410::campaign {
namespace {

std::string Rows(char fill) {
    std::string rows;
    for (int row = 0; row < 16; ++row) {
        rows += "10:00:01:5[B" + (row == 0 ? std::string("000") : std::to_string(64 * row)) + "->]" +
                std::string(128, fill) + "\r\n";
    }
    return rows;
}

TEST(ReadCaptureLog, RebuildsCommandsAndBlocksAndLetsReceivedTextRunOn) {
    const std::string log =
        "[start]\r\n"
        "10:00:00:1000[out]UP BULK[cr]\r\n"
        "10:00:01:0[in]READY[cr][lf]READY[cr][lf]READY[cr][lf]READY[cr][lf]\r\n"
        "\r\n"  // the fifth line end of what came in, no longer shown as [lf]
        "10:00:01:2[pn]54\r\n"
        "10:00:01:3[out]GO[cr]\r\n"
        "10:00:01:4[info  ]  addr 000400  cksm 5A\r\n" +
        Rows('1') + "10:00:02:0[out]resend\r\n" + "10:00:02:0[info  ]  addr 000400  cksm 5A\r\n" + Rows('1');
    const CaptureReading reading = ReadCaptureLog(log);
    EXPECT_TRUE(reading.problems.empty()) << reading.problems.front();
    const std::string block = "000400" + std::string(1024, '\x11') + "\x5A";
    EXPECT_EQ(reading.sent, "UP BULK\rGO\r" + block + block);
}

TEST(ReadCaptureLog, NamesEachLineThatDoesNotRead) {
    const std::string log =
        "[start]\r\n"
        "10:00:00:1[out]GO[cr]\r\n"
        "stray text\r\n"
        "10:00:01:4[info  ]  addr 000400  cksm 5A\r\n"
        "10:00:01:5[B000->]0011\r\n"
        "10:00:01:6[out]UPLOAD DONE[cr]";
    const CaptureReading reading = ReadCaptureLog(log);
    ASSERT_EQ(reading.problems.size(), 3u);
    EXPECT_EQ(reading.problems[0], "capture line 3: neither a stamped line nor received text going on");
    EXPECT_EQ(reading.problems[1], "capture line 5: not row [B000->] of the block");
    EXPECT_EQ(reading.problems[2], "capture line 6: the log does not end with a whole line");
    EXPECT_EQ(reading.sent, "GO\r");
}

}  // namespace
}  // namespace flash410::campaign
