#include "history/upload_recorder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace flash410::history {
namespace {

using namespace std::chrono;
using upload::UploadOutcome;

const WallClock::time_point kStart = sys_days{year{2026} / December / 8} + hours{19};

UploadRecord Subject() {
    UploadRecord subject;
    subject.Program = "flash410-cli";
    subject.Version = "2.5";
    subject.Port = "COM5";
    subject.Device = "/dev/ttyUSB0";
    subject.FilePath = "firmware/../release.hex";
    subject.ImageSha256 = std::string(64, 'a');
    subject.BlockCount = 255;
    subject.ImageChecksum = "1A2B";
    subject.Request = RequestName(upload::UploadRequest::kMainAndConfiguration);
    subject.Baud = 38400;
    return subject;
}

class Recorder : public ::testing::Test {
  protected:
    WallClock::time_point now_ = kStart;
    UploadRecorder recorder_{[this] { return now_; }};
};

TEST_F(Recorder, EveryOutcomeIsRecordedWithWhereItEndedAndHowLongItTook) {
    struct Case {
        UploadOutcome Outcome;
        const char* Name;
        std::int32_t BlocksSent;
        std::int32_t AskedAgain;
    };
    for (const Case& c :
         {Case{UploadOutcome::kComplete, "complete", 255, 0},
          Case{UploadOutcome::kModemFailed, "failed", 87, 2},
          Case{UploadOutcome::kTimedOut, "timed_out", 0, 0}, Case{UploadOutcome::kStopped, "stopped", 12, 0},
          Case{UploadOutcome::kConnectionLost, "connection_lost", 130, 1},
          Case{UploadOutcome::kBlockRefused, "block_refused", 9, 10},
          Case{UploadOutcome::kUnexpectedReply, "unexpected_reply", 0, 0},
          Case{UploadOutcome::kImageUnreadable, "image_unreadable", 3, 0}}) {
        now_ = kStart;
        recorder_.Started(Subject());
        now_ = kStart + seconds{78} + milliseconds{250};
        const upload::UploadResult result{c.Outcome, c.BlocksSent, c.AskedAgain, 0.5, 0.6, "why"};
        const std::optional<UploadRecord> record = recorder_.Ended(result);
        ASSERT_TRUE(record) << c.Name;
        EXPECT_EQ(record->Outcome, c.Name);
        EXPECT_EQ(record->EndedAtBlock, c.BlocksSent) << c.Name;
        EXPECT_EQ(record->BlocksSentAgain, c.AskedAgain) << c.Name;
        EXPECT_EQ(record->Detail, "why");
        EXPECT_DOUBLE_EQ(record->DurationSeconds, 78.25) << c.Name;
        EXPECT_EQ(record->StartedUtc, "2026-12-08T19:00:00.000Z");
        EXPECT_EQ(record->EndedUtc, "2026-12-08T19:01:18.250Z");
    }
}

TEST_F(Recorder, TheRecordNamesTheFilesInFull) {
    UploadRecord subject = Subject();
    subject.CaptureFile = "capture-COM5.txt";
    recorder_.Started(subject);
    const UploadRecord record = *recorder_.Ended({});
    const std::filesystem::path here = std::filesystem::current_path();
    EXPECT_EQ(record.FilePath, (here / "release.hex").lexically_normal().string());
    EXPECT_EQ(record.CaptureFile, (here / "capture-COM5.txt").lexically_normal().string());
    EXPECT_EQ(record.FileName, "release.hex");
}

TEST_F(Recorder, AnEndWithoutAStartIsNotRecordedAndAnEndIsRecordedOnce) {
    EXPECT_FALSE(recorder_.Ended({}));
    recorder_.Started(Subject());
    EXPECT_TRUE(recorder_.Ended({}));
    EXPECT_FALSE(recorder_.Ended({}));
}

TEST(UploadRecordJson, ARecordSurvivesTheWayThroughJsonWithItsMissingValuesAsNull) {
    UploadRecorder recorder([] { return kStart; });
    UploadRecord subject = Subject();
    subject.CaptureFile = "capture-COM5.txt";
    recorder.Started(subject);
    const UploadRecord record = *recorder.Ended({UploadOutcome::kTimedOut, 4, 1, 0, 0, "for READY\n\"x\""});
    const nlohmann::ordered_json object = RecordToJson(record);
    EXPECT_TRUE(object.at("adapter_serial").is_null());
    EXPECT_TRUE(object.at("capture_file").is_string());
    EXPECT_EQ(object.begin().key(), "started_utc");
    EXPECT_EQ(RecordFromJson(nlohmann::json::parse(object.dump())), record);
}

}  // namespace
}  // namespace flash410::history
