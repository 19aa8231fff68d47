// What the station shows: the table's columns and words, and a line said while the table is on a terminal.
#include "cli/station_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace flash410::cli {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

BayView Bay(std::string port, std::string adapter, BayStage stage) {
    BayView bay;
    bay.Port = std::move(port);
    bay.Adapter = std::move(adapter);
    bay.Stage = stage;
    return bay;
}

TEST(StationTable, EachPortARowInColumnsAndTheCountsBelow) {
    BayView uploading = Bay("/dev/ttyUSB0", "0403:6001 A50285BI", BayStage::kUploading);
    uploading.Progress = {PortPhase::kBlocks, 5, 40, std::chrono::seconds(12), {}};
    BayView lost = Bay("/dev/ttyUSB12", "0403:6015 DN04", BayStage::kWaitingForUnplug);
    lost.Progress = {PortPhase::kEnded, 17, 40, std::chrono::seconds(75), {}};
    lost.LastEnd = StationEnd::kLost;
    const BayView quiet = Bay("COM1", "", BayStage::kWaitingForQuiet);
    const std::vector<std::string> rows = StationTable({uploading, lost, quiet}, StationCounts{3, 1, 1, 0});
    EXPECT_THAT(
        rows,
        ElementsAre("PORT           ADAPTER             MODEM                    BLOCK     RESULT  TIME",
                    "/dev/ttyUSB0   0403:6001 A50285BI  uploading                5 of 40   -       00:12",
                    "/dev/ttyUSB12  0403:6015 DN04      done: unplug it          17 of 40  LOST    01:15",
                    "COM1           -                   done: waiting for quiet  -         -       -",
                    "3 complete, 1 failed, 1 lost"));
}

TEST(StationTable, SaysWhenNoPortIsThereYet) {
    EXPECT_THAT(StationTable({}, {}), ElementsAre(HasSubstr("PORT"), "(no port yet: waiting for an adapter)",
                                                  "0 complete, 0 failed, 0 lost"));
}

TEST(StationReport, ALineSaidGoesAboveTheTableWhichIsDrawnAgainBelowIt) {
    std::ostringstream out;
    std::ostringstream err;
    StationReport report(
        out, err, StationStyle::kTable, [] { return 3723.5; }, [] { return std::size_t{30}; });
    report.Show({Bay("/dev/ttyUSB0", "0403:6001 A50285BI", BayStage::kWaitingForModem)}, {});
    out.str("");
    report.BayClosed(Bay("/dev/ttyUSB0", "0403:6001 A50285BI", BayStage::kWaitingForModem));
    const std::string said = out.str();
    // Up over the three rows, the line, then the rows again, each cut short of the terminal's last column.
    EXPECT_THAT(said, ::testing::StartsWith(
                          "\x1b[3A\r\x1b[J01:02:03  /dev/ttyUSB0: adapter 0403:6001 A50285BI removed\n"));
    EXPECT_THAT(said, HasSubstr("\r\x1b[2K/dev/ttyUSB0  0403:6001 A5028\n"));
    EXPECT_TRUE(err.str().empty());
}

TEST(StationReport, JsonEndsWithTheCountsAndSaysNothingElseOnItsOutput) {
    std::ostringstream out;
    std::ostringstream err;
    StationReport report(out, err, StationStyle::kJson, [] { return 0.0; });
    report.BayOpened(Bay("/dev/ttyUSB0", "0403:6001 A50285BI", BayStage::kWaitingForModem));
    report.Warning("usb:A50285BI", "The history file cannot be written");
    report.ShowTotals({2, 1, 0, 1});
    EXPECT_EQ(out.str(), "{\"event\":\"station\",\"complete\":2,\"failed\":1,\"lost\":0,\"stopped\":1}\n");
    EXPECT_EQ(err.str(), "usb:A50285BI: The history file cannot be written\n");
}

}  // namespace
}  // namespace flash410::cli
