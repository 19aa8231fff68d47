// The upload engine on its own, as a front end without a window uses it: no capture log, a record of the
// events, and the UploadResult each way an upload can end.
#include "upload_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "fake_serial_line.h"
#include "image/preparation_error.h"
#include "support/temp_folder.h"

namespace uflash8 {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr std::size_t kBlock = 1031;
constexpr double kTenOClock = 10 * 3600.0;

class UploadEngineTest : public ::testing::Test {
  protected:
    flash410::testing::TempFolder temp_{"engine"};  // declared first, so it is removed last
    UploadEngineTest() { folder_ = temp_.folder(); }

    // An image of count blocks in use, the port open, and the upload started.
    void Start(int count) {
        std::ofstream(ImagePath(), std::ios::binary) << std::string(count * kBlock, 'b');
        engine_.UseImage(flash410::image::ByteFile::OpenForReading(ImagePath()));
        state_.BlockCount = count;
        line_.SetActive(true);
        engine_.StartUpload(UploadRequest::kBulk);
    }
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(UploadEngine::PerformsStep(state_.SequencerState) ||
                        state_.SequencerState == SequencerStep::kIdle);
            if (UploadEngine::PerformsStep(state_.SequencerState))
                engine_.PerformStep();
        }
    }
    void Modem(const std::string& text) { state_.ReplyBuffer += text; }
    // From the handshake to the first block request answered.
    void ThroughFirstBlock() {
        Tick();  // the upload request
        Modem("READY\r\n");
        Tick(2);  // READY, GO
        Modem("ERASING\r\n");
        Tick(2);
        Modem("ERASE COMPLETE\r\n");
        Tick(3);
        Modem("SEND BLOCK\r\n");
        Tick();
        ASSERT_EQ(state_.BlocksSent, 1);
    }
    std::vector<UploadResult> Results() const {
        std::vector<UploadResult> results;
        for (const UploadEvent& event : events_) {
            if (const auto* ended = std::get_if<events::UploadEnded>(&event))
                results.push_back(ended->Result);
        }
        return results;
    }
    std::string ImagePath() const { return folder_ + "fw.vxf"; }

    std::string folder_;
    double clock_ = kTenOClock;
    testing::FakeSerialLine line_;
    ProgramState state_;
    std::vector<UploadEvent> events_;
    UploadEngine engine_{
        state_,
        {&line_, [this] { return clock_; }, {}, [this](const UploadEvent& e) { events_.push_back(e); }}};
};

TEST_F(UploadEngineTest, ACompleteUploadCountsTheBlocksAndTheRepeatsAndTakesItsTimeFromGo) {
    Start(2);
    ThroughFirstBlock();
    Modem("RESEND BLOCK\r\n");
    Tick();
    Modem("OK\r\n");  // unknown: the block goes again on the next tick
    Tick(2);
    Modem("SEND BLOCK\r\n");
    Tick();
    Modem("SEND BLOCK\r\n");
    Tick(2);  // all sent, UPLOAD DONE
    clock_ += 42;
    Modem("THANK YOU\r\n");
    Tick(2);                         // THANK YOU, the upload finished
    EXPECT_TRUE(Results().empty());  // the end is reported in the tick after
    Tick();
    const UploadResult expected{UploadOutcome::kComplete,  2, 2, kTenOClock / 86400,
                                (kTenOClock + 42) / 86400, ""};
    ASSERT_EQ(Results().size(), 1u);
    EXPECT_EQ(Results()[0], expected);
    EXPECT_EQ(engine_.LastResult(), expected);
    EXPECT_EQ(state_.SequencerState, SequencerStep::kIdle);
    EXPECT_EQ(line_.sent.substr(line_.sent.size() - 12), "UPLOAD DONE\r");
}

TEST_F(UploadEngineTest, FailedFromTheModemEndsAsModemFailedOnTheNextTick) {
    Start(3);
    ThroughFirstBlock();
    clock_ += 5;
    Modem("FAILED\r\n");
    Tick();
    ASSERT_TRUE(Results().empty());
    EXPECT_TRUE(std::holds_alternative<events::ModemFailed>(events_.back()));
    Tick();
    ASSERT_EQ(Results().size(), 1u);
    EXPECT_EQ(Results()[0].Outcome, UploadOutcome::kModemFailed);
    EXPECT_EQ(Results()[0].BlocksSent, 1);
    EXPECT_NEAR((Results()[0].EndTime - Results()[0].StartTime) * 86400, 5, 1e-6);
}

TEST_F(UploadEngineTest, AModemThatNeverSaysReadyTimesOutWithoutABlockOrATime) {
    state_.BlocksSent = 7;  // left from an earlier upload
    Start(1);
    Tick(252);
    ASSERT_EQ(Results().size(), 1u);
    EXPECT_EQ(Results()[0], (UploadResult{UploadOutcome::kTimedOut, 0, 0, 0, 0, "waiting for response"}));
}

TEST_F(UploadEngineTest, ASilentEraseTimesOutNamingWhatWasAwaited) {
    Start(1);
    Tick();
    Modem("READY\r\n");
    Tick(2);
    Tick(2001);
    ASSERT_EQ(Results().size(), 1u);
    EXPECT_EQ(Results()[0].Outcome, UploadOutcome::kTimedOut);
    EXPECT_EQ(Results()[0].Detail, "waiting for Erasing message");
}

TEST_F(UploadEngineTest, APortGoneDuringTheBlocksEndsAsConnectionLostAndSendsNothingMore) {
    Start(3);
    ThroughFirstBlock();
    line_.SetActive(false);
    line_.sent.clear();
    Modem("SEND BLOCK\r\n");
    Tick();
    ASSERT_EQ(Results().size(), 1u);
    EXPECT_EQ(Results()[0].Outcome, UploadOutcome::kConnectionLost);
    EXPECT_THAT(Results()[0].Detail, HasSubstr("connection to the modem was lost"));
    EXPECT_EQ(Results()[0].BlocksSent, 1);
    EXPECT_TRUE(line_.sent.empty());
}

TEST_F(UploadEngineTest, APortThatCannotBeOpenedAgainEndsAsConnectionLost) {
    Start(1);
    line_.SetActive(false);
    line_.opens = false;
    Tick();
    ASSERT_EQ(Results().size(), 1u);
    EXPECT_EQ(Results()[0].Outcome, UploadOutcome::kConnectionLost);
    EXPECT_THAT(Results()[0].Detail, HasSubstr("could not be opened again"));
}

TEST_F(UploadEngineTest, AnImageCutUnderTheUploadEndsAsUnreadableNamingTheBlock) {
    Start(2);
    ThroughFirstBlock();
    fs::resize_file(ImagePath(), kBlock + 100);
    Modem("SEND BLOCK\r\n");
    Tick();
    ASSERT_EQ(Results().size(), 1u);
    EXPECT_EQ(Results()[0].Outcome, UploadOutcome::kImageUnreadable);
    EXPECT_THAT(Results()[0].Detail, HasSubstr("the file ends before block 2"));
}

TEST_F(UploadEngineTest, AnEraseAnswerThatIsNeitherErrorNorCompleteEndsAsUnexpected) {
    Start(1);
    Tick();
    Modem("READY\r\n");
    Tick(2);
    Modem("ERASING\r\nERASE STARTED\r\n");
    Tick(4);
    ASSERT_EQ(Results().size(), 1u);
    EXPECT_EQ(Results()[0].Outcome, UploadOutcome::kUnexpectedReply);
    EXPECT_EQ(Results()[0].Detail, "\nERASE STARTED\r\n");
}

TEST_F(UploadEngineTest, StoppingEndsOnlyAnUploadUnderWay) {
    engine_.Stop();
    EXPECT_TRUE(Results().empty());
    Start(2);
    ThroughFirstBlock();
    engine_.Stop();
    ASSERT_EQ(Results().size(), 1u);
    EXPECT_EQ(Results()[0].Outcome, UploadOutcome::kStopped);
    EXPECT_EQ(Results()[0].BlocksSent, 1);
    EXPECT_EQ(state_.SequencerState, SequencerStep::kIdle);
    engine_.Stop();  // nothing under way any more
    EXPECT_EQ(Results().size(), 1u);
}

TEST_F(UploadEngineTest, TheTickIntervalIsSlowUntilReadyAndFastAfter) {
    Start(1);
    Tick();
    EXPECT_EQ(engine_.TickIntervalMs(), 500);
    Modem("READY\r\n");
    Tick();
    EXPECT_EQ(engine_.TickIntervalMs(), 50);
    std::vector<std::int32_t> asked;
    for (const UploadEvent& event : events_) {
        if (const auto* interval = std::get_if<events::TickIntervalNeeded>(&event))
            asked.push_back(interval->IntervalMs);
    }
    EXPECT_EQ(asked, (std::vector<std::int32_t>{500, 50}));
}

}  // namespace
}  // namespace uflash8
