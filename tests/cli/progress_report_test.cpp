// What the command line shows while it uploads: on a terminal, lines rewritten in place (one shared line
// where only a carriage return works); elsewhere a line at the start, at each tenth and at the end; quiet,
// only the end.
#include "cli/progress_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace flash410::cli {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

PortProgress Blocks(std::int32_t sent, std::int32_t count, std::chrono::seconds blockTime = 0s) {
    PortProgress progress;
    progress.Phase = PortPhase::kBlocks;
    progress.BlocksSent = sent;
    progress.BlockCount = count;
    progress.Elapsed = blockTime + 2s;
    progress.BlockTime = blockTime;
    return progress;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// A port or adapter named in any language: widths count characters, and a cut never splits one.
TEST(LineWidth, CountsAndCutsWholeCharactersOfUtf8) {
    const std::string name = "/dev/Modem-M\u00fcnchen-\u6e2c\u8a66";  // ü two bytes, 測試 three each
    EXPECT_EQ(Characters(name), 21U);
    EXPECT_EQ(FirstCharacters(name, 13), "/dev/Modem-M\u00fc");
    EXPECT_EQ(FirstCharacters(name, 20), "/dev/Modem-M\u00fcnchen-\u6e2c");
    EXPECT_EQ(FirstCharacters(name, 21), name);
    EXPECT_EQ(FirstCharacters(name, 0), "");
}

TEST(ProgressLine, SaysTheBlockThePercentTheRateAndTheTimes) {
    // 10 blocks of 1031 bytes in 5 s: 2062 bytes a second, 30 blocks left take 15 s.
    EXPECT_EQ(ProgressLine("COM2", Blocks(10, 40, 5s)),
              "COM2  block 10 of 40  25 %  2062 bytes/s  elapsed 00:07  left 00:15");
    EXPECT_EQ(ProgressLine("COM2", Blocks(0, 40)), "COM2  block 0 of 40  0 %");
    PortProgress waiting;
    waiting.Phase = PortPhase::kHandshake;
    EXPECT_EQ(ProgressLine("/dev/ttyUSB0", waiting), "/dev/ttyUSB0  waiting for READY");
}

TEST(ProgressLine, ClockTextsGrowHoursOnlyWhenNeeded) {
    EXPECT_EQ(ClockText(0s), "00:00");
    EXPECT_EQ(ClockText(78s), "01:18");
    EXPECT_EQ(ClockText(3599s), "59:59");
    EXPECT_EQ(ClockText(3723s), "1:02:03");
}

TEST(ProgressReport, OutsideATerminalEachTenthIsReportedOnceAndTheEndLast) {
    std::ostringstream out;
    ProgressReport report(out, ProgressStyle::kLines, {"COM2"});
    PortProgress waiting;
    waiting.Phase = PortPhase::kHandshake;
    report.Show({waiting});
    report.Show({waiting});
    for (int sent = 0; sent <= 25; ++sent) {
        report.Show({Blocks(sent, 25)});
        report.Show({Blocks(sent, 25)});  // shown again without progress: nothing new
    }
    report.ShowEnd(0, "Upload complete. Time taken: 7 seconds");
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 13u) << out.str();
    EXPECT_EQ(lines.front(), "COM2  waiting for READY");
    for (int tenth = 0; tenth <= 10; ++tenth) {
        // "COM2  block 3 of 25  12 %": the first line in each tenth
        const std::string& line = lines[1 + tenth];
        const std::size_t percentAt = line.rfind("  ", line.size() - 3) + 2;
        EXPECT_EQ(std::stoi(line.substr(percentAt)) / 10, tenth) << line;
    }
    EXPECT_EQ(lines.back(), "COM2: Upload complete. Time taken: 7 seconds");
    EXPECT_EQ(out.str().find('\x1b'), std::string::npos);
}

TEST(ProgressReport, QuietShowsOnlyTheEndOfEachPort) {
    std::ostringstream out;
    ProgressReport report(out, ProgressStyle::kQuiet, {"COM2", "COM3"});
    report.Show({Blocks(5, 10), Blocks(1, 10)});
    report.ShowEnd(1, "Upload HALTED. Time taken: 3 seconds");
    report.Show({Blocks(10, 10), Blocks(1, 10)});
    report.ShowEnd(0, "Upload complete. Time taken: 4 seconds");
    EXPECT_EQ(out.str(),
              "COM3: Upload HALTED. Time taken: 3 seconds\nCOM2: Upload complete. Time taken: 4 seconds\n");
}

TEST(ProgressReport, OnATerminalEveryPortKeepsItsLineRewrittenInPlace) {
    std::ostringstream out;
    ProgressReport report(out, ProgressStyle::kTerminal, {"COM2", "COM3"});
    report.Show({Blocks(1, 10), Blocks(2, 10)});
    EXPECT_EQ(out.str(), "\r\x1b[2KCOM2  block 1 of 10  10 %\n\r\x1b[2KCOM3  block 2 of 10  20 %\n");
    out.str("");
    report.ShowEnd(0, "Upload complete. Time taken: 4 seconds");
    EXPECT_EQ(
        out.str(),
        "\x1b[2A\r\x1b[2KCOM2: Upload complete. Time taken: 4 seconds\n\r\x1b[2KCOM3  block 2 of 10  20 %\n");
    out.str("");
    report.Show({Blocks(10, 10), Blocks(3, 10)});  // an ended port keeps its last line
    EXPECT_EQ(
        out.str(),
        "\x1b[2A\r\x1b[2KCOM2: Upload complete. Time taken: 4 seconds\n\r\x1b[2KCOM3  block 3 of 10  30 %\n");
}

TEST(ProgressReport, OnANarrowTerminalAProgressLineIsCutAndAFinalLineCountsTheRowsItTakes) {
    std::ostringstream out;
    ProgressReport report(out, ProgressStyle::kTerminal, {"/dev/serial/by-id/usb-FTDI-port0", "COM3"},
                          [] { return std::size_t{20}; });
    report.Show({Blocks(1, 10), Blocks(2, 10)});
    // 19 characters at most: the cursor never wraps, so moving up two rows finds the first line again.
    EXPECT_EQ(out.str(), "\r\x1b[2K/dev/serial/by-id/u\n\r\x1b[2KCOM3  block 2 of 10\n");
    out.str("");
    report.ShowEnd(0, "Upload complete. Time taken: 4 seconds");  // 72 characters: four rows of 20
    out.str("");
    report.Show({Blocks(1, 10), Blocks(3, 10)});
    EXPECT_EQ(out.str(),
              "\x1b[5A\r\x1b[2K/dev/serial/by-id/usb-FTDI-port0: Upload complete. Time taken: 4 seconds\n"
              "\r\x1b[2KCOM3  block 3 of 10\n");
}

TEST(ProgressReport, AWarningOnATerminalGoesAboveTheProgressLines) {
    std::ostringstream out;
    ProgressReport report(out, ProgressStyle::kTerminal, {"COM2"});
    report.Show({Blocks(1, 10)});
    out.str("");
    report.Say("COM2: the capture file is full");
    EXPECT_EQ(out.str(),
              "\x1b[1A\r\x1b[JCOM2: the capture file is full\n\r\x1b[2KCOM2  block 1 of 10  10 %\n");
}

PortProgress InPhase(PortPhase phase) {
    PortProgress progress;
    progress.Phase = phase;
    return progress;
}

// A console that only goes back to the start of the line: a shorter line blanks out what the longer one
// before it left, and the end goes on a line of its own.
TEST(ProgressReport, WithOnlyACarriageReturnAPortsLineIsWrittenOverWhatWasThere) {
    std::ostringstream out;
    ProgressReport report(out, ProgressStyle::kCarriageReturn, {"COM2"});
    report.Show({InPhase(PortPhase::kHandshake)});
    report.Show({InPhase(PortPhase::kErasing)});
    report.Show({Blocks(1, 10)});
    report.ShowEnd(0, "Upload complete. Time taken: 4 seconds");
    EXPECT_EQ(out.str(),
              "\rCOM2  waiting for READY"
              "\rCOM2  erasing          "
              "\rCOM2  block 1 of 10  10 %"
              "\rCOM2: Upload complete. Time taken: 4 seconds\n");
}

TEST(ProgressReport, WithOnlyACarriageReturnThePortsShareOneLineThatFitsAndEachEndHasALineOfItsOwn) {
    std::ostringstream out;
    ProgressReport report(out, ProgressStyle::kCarriageReturn, {"COM2", "COM3"},
                          [] { return std::size_t{30}; });
    report.Show({Blocks(1, 10), InPhase(PortPhase::kHandshake)});
    // 29 characters at most: a line reaching the last column would wrap where a carriage return cannot go.
    EXPECT_EQ(out.str(), "\rCOM2 1/10 10 % | COM3 waiting");
    out.str("");
    report.ShowEnd(1, "Upload HALTED.");
    // The one port left has the whole line.
    EXPECT_EQ(out.str(), "\rCOM3: Upload HALTED.         \n\rCOM2  block 1 of 10  10 %");
    out.str("");
    report.Say("COM2: the capture file is full");
    EXPECT_EQ(out.str(), "\rCOM2: the capture file is full\n\rCOM2  block 1 of 10  10 %");
    out.str("");
    report.ShowEnd(0, "Upload complete.");
    report.Show({Blocks(10, 10), Blocks(1, 10)});  // nothing left to show
    EXPECT_EQ(out.str(), "\rCOM2: Upload complete.   \n");
}

}  // namespace
}  // namespace flash410::cli
