// Two programs appending to one history, and a history on a full disk: POSIX processes and file size
// limits.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "history/upload_history.h"
#include "history_records.h"
#include "support/file_size_limit.h"
#include "support/temp_folder.h"

namespace flash410::history {
namespace {

class HistoryFilePosix : public ::testing::Test {
  protected:
    test_support::TempFolder folder_{"history"};
    const std::string file_ = (folder_ / "upload-history.jsonl").string();
};

TEST_F(HistoryFilePosix, TwoProgramsAppendingAtOnceGiveWholeLines) {
    constexpr int kRecordsEach = 200;
    const auto appendAll = [this](const std::string& port) {
        int failures = 0;
        for (int block = 0; block < kRecordsEach; ++block) {
            failures += AppendToHistory(file_, SampleRecord(port, block)) ? 1 : 0;
        }
        return failures;
    };
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        ::_exit(appendAll("COM2") == 0 ? 0 : 1);
    }
    EXPECT_EQ(appendAll("COM1"), 0);
    int status = -1;
    ASSERT_EQ(::waitpid(other, &status, 0), other);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const HistoryContents contents = ReadHistory(file_);
    EXPECT_TRUE(contents.Warnings.empty());
    EXPECT_EQ(contents.Records.size(), 2U * kRecordsEach);
}

TEST_F(HistoryFilePosix, ARecordCutShortByAFullDiskIsReportedAndOnlyItsLineIsLost) {
    ASSERT_EQ(AppendToHistory(file_, SampleRecord("COM1", 1)), std::nullopt);
    const std::uint64_t oneRecord = folder_.Read("upload-history.jsonl").size();
    const test_support::LimitedRun run =
        test_support::RunWithFileSizeLimit(oneRecord + 100, [&](std::string& report) {
            report = AppendToHistory(file_, SampleRecord("COM2", 2)).value_or("");
            return 0;
        });
    EXPECT_EQ(run.Status, 0);
    EXPECT_TRUE(run.Report.starts_with("The upload was not added to the history: cannot write to " + file_ +
                                       ": only 100 of "))
        << run.Report;

    ASSERT_EQ(AppendToHistory(file_, SampleRecord("COM3", 3)), std::nullopt);
    const HistoryContents contents = ReadHistory(file_);
    ASSERT_EQ(contents.Records.size(), 2U);
    EXPECT_EQ(contents.Records[1].Port, "COM3");
    EXPECT_EQ(contents.Warnings,
              std::vector<std::string>{"upload-history.jsonl line 2: not a whole record, skipped"});
}

}  // namespace
}  // namespace flash410::history
