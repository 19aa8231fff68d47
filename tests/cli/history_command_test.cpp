// `flash410-cli history`: the table and the JSON Lines, the choice of records, and what it says of an empty
// history, of damaged lines and of wrong arguments.
#include "cli/history_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "history/upload_history.h"
#include "support/temp_folder.h"

namespace flash410::cli {
namespace {

using ::testing::HasSubstr;

struct HistoryRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

history::UploadRecord Record(const std::string& started, const std::string& port,
                             const std::string& outcome) {
    history::UploadRecord record;
    record.StartedUtc = started + ".000Z";
    record.StartedLocal = started + ".000+01:00";
    record.Program = "flash410-cli";
    record.Port = port;
    record.Device = port == "COM5" ? "/dev/ttyUSB0" : "/dev/ttyS1";
    record.FileName = "release.hex";
    record.BlockCount = 255;
    record.EndedAtBlock = outcome == "complete" ? 255 : 87;
    record.Outcome = outcome;
    record.DurationSeconds = 78.4;
    return record;
}

class HistoryCommandTest : public ::testing::Test {
  protected:
    HistoryRun History(std::vector<std::string> arguments) const {
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunHistory(arguments, out, err, file_);
        return {status, out.str(), err.str()};
    }
    void Add(const history::UploadRecord& record) const {
        ASSERT_EQ(history::AppendToHistory(file_, record), std::nullopt);
    }
    void AddThree() const {
        Add(Record("2026-12-08T20:00:00", "COM5", "complete"));
        Add(Record("2026-12-08T20:05:00", "COM2", "failed"));
        Add(Record("2026-12-08T20:10:00", "COM5", "timed_out"));
    }

    test_support::TempFolder folder_{"history-command"};
    const std::string file_ = (folder_ / "upload-history.jsonl").string();
};

TEST_F(HistoryCommandTest, TheTableShowsOneLineARecordOldestFirstInColumns) {
    AddThree();
    const HistoryRun run = History({});
    EXPECT_EQ(run.Status, kExitSuccess);
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out,
              "Started (local)             Port  Device        File         Blocks   Outcome    Duration\n"
              "2026-12-08 20:00:00 +01:00  COM5  /dev/ttyUSB0  release.hex  255/255  complete   01:18\n"
              "2026-12-08 20:05:00 +01:00  COM2  /dev/ttyS1    release.hex  87/255   failed     01:18\n"
              "2026-12-08 20:10:00 +01:00  COM5  /dev/ttyUSB0  release.hex  87/255   timed_out  01:18\n");
}

TEST_F(HistoryCommandTest, LastAndPortChooseTheRecordsByNumberNameOrDevice) {
    AddThree();
    const auto starts = [this](std::vector<std::string> arguments) {
        std::vector<std::string> shown;
        std::istringstream lines(History(std::move(arguments)).Out);
        std::string line;
        std::getline(lines, line);  // the heading
        while (std::getline(lines, line)) {
            shown.push_back(line.substr(11, 8));
        }
        return shown;
    };
    using Starts = std::vector<std::string>;
    EXPECT_EQ(starts({"--last", "2"}), (Starts{"20:05:00", "20:10:00"}));
    EXPECT_EQ(starts({"--last", "9"}).size(), 3U);
    EXPECT_EQ(starts({"--port", "5"}), (Starts{"20:00:00", "20:10:00"}));
    EXPECT_EQ(starts({"--port", "com2"}), (Starts{"20:05:00"}));
    EXPECT_EQ(starts({"--port", "/dev/ttyUSB0", "--last", "1"}), (Starts{"20:10:00"}));
}

TEST_F(HistoryCommandTest, JsonGivesTheRecordsAsTheFileHoldsThemOneALine) {
    AddThree();
    const HistoryRun run = History({"--json", "--last", "2"});
    EXPECT_EQ(run.Status, kExitSuccess);
    std::istringstream lines(run.Out);
    std::vector<history::UploadRecord> shown;
    for (std::string line; std::getline(lines, line);) {
        shown.push_back(history::RecordFromJson(nlohmann::json::parse(line)));
    }
    EXPECT_EQ(shown,
              (std::vector<history::UploadRecord>{Record("2026-12-08T20:05:00", "COM2", "failed"),
                                                  Record("2026-12-08T20:10:00", "COM5", "timed_out")}));
}

TEST_F(HistoryCommandTest, AnEmptyOrMissingHistoryIsSaidAndIsNoError) {
    HistoryRun run = History({});
    EXPECT_EQ(run.Status, kExitSuccess);
    EXPECT_EQ(run.Out, "No uploads recorded yet: there is no " + file_ + ".\n");
    // With JSON the output stays JSON: the words go to the error stream.
    run = History({"--json"});
    EXPECT_EQ(run.Status, kExitSuccess);
    EXPECT_EQ(run.Out, "");
    EXPECT_THAT(run.Err, HasSubstr("No uploads recorded yet"));

    Add(Record("2026-12-08T20:00:00", "COM5", "complete"));
    run = History({"--port", "COM7"});
    EXPECT_EQ(run.Status, kExitSuccess);
    EXPECT_EQ(run.Out, "No uploads through COM7 in the history " + file_ + ".\n");
}

TEST_F(HistoryCommandTest, DamagedLinesAreSaidAndTheRestIsShown) {
    Add(Record("2026-12-08T20:00:00", "COM5", "complete"));
    folder_.Write("upload-history.jsonl", folder_.Read("upload-history.jsonl") + "{\"started_utc\": \"2026-");
    const HistoryRun run = History({});
    EXPECT_EQ(run.Status, kExitSuccess);
    EXPECT_EQ(run.Err, "upload-history.jsonl line 2: not a whole record, skipped\n");
    EXPECT_THAT(run.Out, HasSubstr("complete"));
}

TEST_F(HistoryCommandTest, WrongArgumentsGetOneLineAndStatusTwo) {
    AddThree();
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--last", "0"}, {"--last", "x"}, {"--last"}, {"--bogus"}, {"extra"}}) {
        const HistoryRun run = History(arguments);
        EXPECT_EQ(run.Status, kExitUsage) << arguments[0];
        EXPECT_EQ(run.Out, "");
        EXPECT_THAT(run.Err, ::testing::EndsWith(". Try 'flash410-cli history --help'.\n")) << run.Err;
        EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
    }
    const HistoryRun help = History({"--help"});
    EXPECT_EQ(help.Status, kExitSuccess);
    EXPECT_THAT(help.Out, HasSubstr("Usage: flash410-cli history [--last N] [--port P] [--json]"));
    EXPECT_THAT(help.Out, HasSubstr(file_));
}

}  // namespace
}  // namespace flash410::cli
