#include "history/upload_history.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "history_records.h"
#include "support/temp_folder.h"

namespace flash410::history {
namespace {

class HistoryFile : public ::testing::Test {
  protected:
    test_support::TempFolder folder_{"history"};
    // In a folder that does not exist yet: the first record makes it.
    const std::string file_ = (folder_ / "history/upload-history.jsonl").string();
};

TEST_F(HistoryFile, RecordsAreAppendedOneALineAndReadBackInOrder) {
    EXPECT_FALSE(ReadHistory(file_).Exists);
    EXPECT_EQ(AppendToHistory(file_, SampleRecord("COM1", 1)), std::nullopt);
    EXPECT_EQ(AppendToHistory(file_, SampleRecord("COM2", 2)), std::nullopt);

    const std::string text = folder_.Read("history/upload-history.jsonl");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    EXPECT_EQ(text.back(), '\n');
    const HistoryContents contents = ReadHistory(file_);
    EXPECT_TRUE(contents.Exists);
    EXPECT_TRUE(contents.Warnings.empty());
    ASSERT_EQ(contents.Records.size(), 2U);
    EXPECT_EQ(contents.Records[0], SampleRecord("COM1", 1));
    EXPECT_EQ(contents.Records[1], SampleRecord("COM2", 2));
}

TEST_F(HistoryFile, ADamagedLineIsSkippedWithItsLineNumberAndTheNextRecordStartsOnALineOfItsOwn) {
    ASSERT_EQ(AppendToHistory(file_, SampleRecord("COM1", 1)), std::nullopt);
    const std::string whole = folder_.Read("history/upload-history.jsonl");
    // Garbage on line 2, an object that is no record on line 3, then a record cut short by a power loss.
    folder_.Write("history/upload-history.jsonl",
                  whole + "not json\n{\"port\": \"COM1\"}\n" + whole.substr(0, whole.size() / 2));

    HistoryContents contents = ReadHistory(file_);
    ASSERT_EQ(contents.Records.size(), 1U);
    EXPECT_EQ(contents.Warnings,
              (std::vector<std::string>{"upload-history.jsonl line 2: not a whole record, skipped",
                                        "upload-history.jsonl line 3: not a whole record, skipped",
                                        "upload-history.jsonl line 4: not a whole record, skipped"}));

    ASSERT_EQ(AppendToHistory(file_, SampleRecord("COM2", 2)), std::nullopt);
    contents = ReadHistory(file_);
    ASSERT_EQ(contents.Records.size(), 2U);
    EXPECT_EQ(contents.Records[1].Port, "COM2");
    EXPECT_EQ(contents.Warnings.size(), 3U);
}

TEST_F(HistoryFile, AFolderInTheWayIsSaidAndNothingIsThrown) {
    folder_.Write("history", "a file where the folder should be");
    const std::optional<std::string> problem = AppendToHistory(file_, SampleRecord("COM1", 1));
    ASSERT_TRUE(problem);
    EXPECT_TRUE(problem->starts_with("The upload was not added to the history: cannot create the folder"))
        << *problem;
}

TEST_F(HistoryFile, FourPortsAppendingAtOnceGiveWholeLines) {
    constexpr int kPorts = 4;
    constexpr int kRecordsEach = 50;
    std::vector<std::thread> ports;
    std::vector<int> failures(kPorts, 0);
    for (int port = 0; port < kPorts; ++port) {
        ports.emplace_back([&, port] {
            for (int block = 0; block < kRecordsEach; ++block) {
                failures[port] +=
                    AppendToHistory(file_, SampleRecord("COM" + std::to_string(port + 1), block)) ? 1 : 0;
            }
        });
    }
    for (std::thread& port : ports) {
        port.join();
    }
    EXPECT_EQ(failures, std::vector<int>(kPorts, 0));
    const HistoryContents contents = ReadHistory(file_);
    EXPECT_TRUE(contents.Warnings.empty());
    std::set<std::pair<std::string, int>> seen;
    for (const UploadRecord& record : contents.Records) {
        seen.emplace(record.Port, record.EndedAtBlock);
    }
    EXPECT_EQ(contents.Records.size(), static_cast<std::size_t>(kPorts * kRecordsEach));
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kPorts * kRecordsEach));
}

}  // namespace
}  // namespace flash410::history
