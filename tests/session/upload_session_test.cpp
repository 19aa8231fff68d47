// What the upload session makes of an upload, once for every front end: the record of what went into which
// modem and how it ended, appended to the history; the capture log that a FAILED modem ends; what is said
// when the history cannot be written; and the events in the order the front ends show them.
#include "session/upload_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "flash410_version.h"
#include "history/upload_history.h"
#include "platform/sha256.h"
#include "support/fake_serial_line.h"
#include "support/firmware_files.h"
#include "support/temp_folder.h"

namespace flash410::session {
namespace {

namespace fs = std::filesystem;
using ::testing::StartsWith;

class UploadSessionTest : public ::testing::Test {
  protected:
    UploadSessionTest() : folder_(temp_.folder()) {}

    UploadSession& Session() {
        if (!session_) {
            session_ = std::make_unique<UploadSession>(SessionEnvironment{
                .Program = "Flash410",
                .LinkFolder = folder_,
                .Clock = [this] { return clock_; },
                .CapturePath = folder_ + "Capture.txt",
                .HistoryFile = historyFile_,
                .Limits = upload::UploadLimits{},
                .WallClock = [] { return history::WallClock::now(); },
                .Events = [this](const SessionEvent& event) { events_.push_back(event); },
                .Warning = [this](SideProblem problem,
                                  const std::string& text) { warnings_.emplace_back(problem, text); },
                .Line = &line_,
            });
        }
        return *session_;
    }
    // An image of three blocks chosen as fw.hex, COM3 open at 19200 baud, and an M+C upload started
    // through the adapter SN42, up to the block loop.
    void StartAndErase() {
        image_ = test_support::UploadImageOfBlocks(3);
        Session().UseImage({std::make_shared<const std::vector<std::uint8_t>>(image_.begin(), image_.end()),
                            folder_ + "fw.vxf", 3, "ABCD", folder_ + "fw.hex"});
        Session().OpenPort({3, {}, "COM3"}, 19200);
        Tick(3);
        Session().StartUpload(upload::UploadRequest::kMainAndConfiguration, "SN42");
        Tick();
        for (const char* reply : {"READY\r\n", "ERASING\r\n", "ERASE COMPLETE\r\n"}) {
            Modem(reply);
        }
    }
    void Modem(const std::string& text) {
        line_.incoming += text;
        Session().Receive();
    }
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) Session().Tick();
    }
    std::vector<UploadConcluded> Conclusions() const {
        std::vector<UploadConcluded> found;
        for (const SessionEvent& event : events_) {
            if (const auto* concluded = std::get_if<UploadConcluded>(&event)) {
                found.push_back(*concluded);
            }
        }
        return found;
    }
    std::string ReadCapture() const {
        std::ifstream file(folder_ + "Capture.txt", std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }

    test_support::TempFolder temp_{"session"};
    std::string folder_;
    std::string historyFile_ = folder_ + "history/upload-history.jsonl";
    double clock_ = 10 * 3600.0;
    test_support::FakeSerialLine line_;
    std::string image_;
    std::vector<SessionEvent> events_;
    std::vector<std::pair<SideProblem, std::string>> warnings_;
    std::unique_ptr<UploadSession> session_;
};

TEST_F(UploadSessionTest, AnUploadIsRecordedOnceWithWhatWentWhereAndIsWordedAfterTheEnginesEnd) {
    StartAndErase();
    for (int block = 0; block < 4; ++block) {
        Modem("SEND BLOCK\r\n");
    }
    Tick();  // UPLOAD DONE
    clock_ += 5;
    Modem("THANK YOU\r\n");
    Tick(2);
    Session().ReturnToStart();  // nothing under way: no second record

    ASSERT_EQ(Conclusions().size(), 1u);
    const UploadConcluded concluded = Conclusions()[0];
    EXPECT_TRUE(std::holds_alternative<upload::events::UploadEnded>(events_[events_.size() - 2]));
    EXPECT_EQ(concluded.Words.Line, "Upload complete. Time taken: 5 seconds");
    ASSERT_TRUE(concluded.Record);
    const history::UploadRecord& record = *concluded.Record;
    EXPECT_EQ(record.Program, "Flash410");
    EXPECT_EQ(record.Version, kVersion);
    EXPECT_EQ(record.Port, "COM3");
    EXPECT_EQ(record.Device, PortMapFor(folder_, {3, {}, "COM3"}).ResolvedDevicePath(3));
    EXPECT_EQ(record.AdapterSerial, "SN42");
    EXPECT_EQ(record.FileName, "fw.hex");
    EXPECT_EQ(record.ImageSha256,
              platform::Sha256Hex(std::vector<std::uint8_t>(image_.begin(), image_.end())));
    EXPECT_EQ(record.BlockCount, 3);
    EXPECT_EQ(record.ImageChecksum, "ABCD");
    EXPECT_EQ(record.Request, "mc");
    EXPECT_EQ(record.Baud, 19200);
    EXPECT_EQ(record.Outcome, "complete");
    EXPECT_EQ(record.EndedAtBlock, 3);
    EXPECT_FALSE(record.CaptureFile);

    const history::HistoryContents history = history::ReadHistory(historyFile_);
    ASSERT_EQ(history.Records.size(), 1u);
    EXPECT_EQ(history.Records[0], record);
    EXPECT_TRUE(warnings_.empty());
}

TEST_F(UploadSessionTest, AFailedModemEndsTheCaptureButLeavesItsFileOpenAndItsButtonAsItWas) {
    Session().Capture()->ToggleCapture();
    StartAndErase();
    Modem("SEND BLOCK\r\n");
    Modem("FAILED\r\n");
    EXPECT_FALSE(Session().CaptureEnabled());
    EXPECT_EQ(Session().Capture()->ButtonCaption(), "&Disable Capture File");
    Tick(3);  // the halt reported, then idle: nothing of it reaches the log
    Session().Close();

    ASSERT_EQ(Conclusions().size(), 1u);
    EXPECT_EQ(Conclusions()[0].Record->Outcome, "failed");
    EXPECT_EQ(Conclusions()[0].Record->CaptureFile,
              fs::absolute(folder_ + "Capture.txt").lexically_normal().string());
    // The last lines are FAILED and the step that took it; the halt's steps are not logged.
    EXPECT_THAT(ReadCapture(), ::testing::EndsWith("[in]FAILED[cr][lf]\r\n10:00:00:0[pn]67\r\n"));
}

TEST_F(UploadSessionTest, AHistoryThatCannotBeWrittenIsSaidAndTheEndStands) {
    temp_.Write("history", "a file where the history's folder goes");
    StartAndErase();
    Modem("FAILED\r\n");
    Tick();
    ASSERT_EQ(Conclusions().size(), 1u);
    EXPECT_THAT(Conclusions()[0].Words.Summary, StartsWith("Upload HALTED."));
    EXPECT_TRUE(Conclusions()[0].Record);
    ASSERT_EQ(warnings_.size(), 1u);
    EXPECT_EQ(warnings_[0].first, SideProblem::kHistory);
    EXPECT_THAT(warnings_[0].second,
                StartsWith("The upload was not added to the history: cannot create the folder "));
}

TEST_F(UploadSessionTest, APortThatDidNotOpenLeavesNoRecord) {
    line_.opens = false;
    Session().OpenPort({4, {}, "COM4"}, 38400);
    Tick(22);  // the opening, twenty looks, and the report
    Session().Close();
    ASSERT_EQ(events_.size(), 1u);
    EXPECT_FALSE(std::get<upload::events::PortReport>(events_[0]).Opened);
    EXPECT_TRUE(Conclusions().empty());
    EXPECT_FALSE(fs::exists(historyFile_));
}

}  // namespace
}  // namespace flash410::session
