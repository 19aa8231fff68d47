// The upload engine on its own, as a front end without a window uses it: no capture log, a record of the
// events, and the UploadResult each way an upload can end.
#include "upload/upload_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/fake_serial_line.h"

namespace flash410::upload {
namespace {

using ::testing::HasSubstr;

constexpr std::size_t kBlock = 1031;
constexpr double kTenOClock = 10 * 3600.0;

class UploadEngineTest : public ::testing::Test {
  protected:
    explicit UploadEngineTest(UploadLimits limits = {})
        : engine_({&line_,
                   [this] { return clock_; },
                   {},
                   [this](const UploadEvent& e) { events_.push_back(e); },
                   limits}) {}

    // An image of count blocks in use, block k all bytes 'a' + k, the port open, and the upload started.
    void Start(int count) {
        auto image = std::make_shared<std::vector<std::uint8_t>>();
        for (int block = 0; block < count; ++block) {
            image->insert(image->end(), kBlock, static_cast<std::uint8_t>('a' + block));
        }
        engine_.UseImage(std::move(image), "fw.vxf", count);
        line_.SetActive(true);
        engine_.StartUpload(UploadRequest::kBulk);
    }
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) engine_.PerformStep();
    }
    void Modem(const std::string& text) { engine_.AddReceived(text); }
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
        ASSERT_EQ(State().BlocksSent, 1);
    }
    const DialogueState& State() const { return engine_.State(); }
    std::vector<UploadResult> Results() const {
        std::vector<UploadResult> results;
        for (const UploadEvent& event : events_) {
            if (const auto* ended = std::get_if<events::UploadEnded>(&event))
                results.push_back(ended->Result);
        }
        return results;
    }
    double clock_ = kTenOClock;
    test_support::FakeSerialLine line_;
    std::vector<UploadEvent> events_;
    UploadEngine engine_;
};

// The same engine with the limits a command-line upload sets.
class LimitedUploadEngineTest : public UploadEngineTest {
  protected:
    LimitedUploadEngineTest() : UploadEngineTest(UploadLimits{4, 20, false, 10}) {}
};

// ---- The first block ----------------------------------------------------------------------------------

// Before the first block there is no block to send again: a first request that is not a plain request for
// the next block, or none at all, still gets the first block, never what the block buffer held before.
TEST_F(UploadEngineTest, WhateverTheFirstRequestAfterTheEraseItGetsTheFirstBlock) {
    for (const std::string firstRequest : {"OK\r\n", "RESEND BLOCK\r\n", ""}) {
        SCOPED_TRACE(firstRequest.empty() ? "silence" : firstRequest);
        engine_.Blocks().fill(0);
        line_.sent.clear();
        Start(2);
        Tick();  // the upload request
        Modem("READY\r\n");
        Tick(2);
        Modem("ERASING\r\n");
        Tick(2);
        Modem("ERASE COMPLETE\r\n");
        Tick(3);
        const std::size_t before = line_.sent.size();
        if (firstRequest.empty()) {
            Tick(State().WaitLimitTicks + 2);  // the whole wait, the step that follows it, and one more
        } else {
            Modem(firstRequest);
            Tick();
        }
        EXPECT_EQ(line_.sent.substr(before), std::string(kBlock, 'a'));
        EXPECT_EQ(State().BlocksSent, 1);
        Modem("SEND BLOCK\r\n");
        Tick();
        EXPECT_EQ(line_.sent.substr(before + kBlock), std::string(kBlock, 'b'));
        engine_.Stop();
    }
}

// ---- Replies acted on as they arrive --------------------------------------------------------------

TEST_F(UploadEngineTest, ABlockRequestArrivingBetweenTicksSendsTheNextBlockAtOnceCountingNoTick) {
    Start(3);
    ThroughFirstBlock();
    Tick(3);  // three silent ticks of the wait
    ASSERT_EQ(State().WaitTicks, 3);
    Modem("SEND BL");  // half a line: nothing to act on yet
    EXPECT_FALSE(engine_.AwaitedReplyArrived());
    const std::size_t sentBefore = line_.sent.size();
    engine_.PerformStepOnReply();
    EXPECT_EQ(line_.sent.size(), sentBefore);
    EXPECT_EQ(State().WaitTicks, 3);

    Modem("OCK\r\n");
    ASSERT_TRUE(engine_.AwaitedReplyArrived());
    engine_.PerformStepOnReply();
    EXPECT_EQ(State().BlocksSent, 2);
    EXPECT_EQ(line_.sent.size(), sentBefore + kBlock);
    EXPECT_EQ(State().WaitTicks, 0);
    EXPECT_EQ(State().Step, DialogueStep::kAwaitBlockRequest);
}

TEST_F(UploadEngineTest, EveryWaitOfTheDialogueTakesItsReplyOnArrival) {
    Start(2);
    EXPECT_FALSE(engine_.AwaitedReplyArrived());  // the request is not sent yet
    Tick();
    struct Reply {
        const char* text;
        DialogueStep after;  // the step the reply leads to at once
        int ticks;           // the ticks of the steps that need no reply, up to the next wait
    };
    const Reply replies[] = {
        {"READY\r\n", DialogueStep::kSendGo, 1},
        {"ERASING\r\n", DialogueStep::kCheckErasing, 1},
        {"ERASE ERROR 3\r\n", DialogueStep::kCheckEraseResult, 1},
        {"BAD BLOCK 7\r\n", DialogueStep::kShowErrorBlock, 1},
        {"ERASE COMPLETE\r\n", DialogueStep::kCheckEraseResult, 2},
        {"SEND BLOCK\r\n", DialogueStep::kAwaitBlockRequest, 0},
        {"SEND BLOCK\r\n", DialogueStep::kAwaitBlockRequest, 0},
        {"SEND BLOCK\r\n", DialogueStep::kSendUploadDone, 1},
        {"THANK YOU\r\n", DialogueStep::kFinishUpload, 2},
    };
    for (const Reply& reply : replies) {
        Modem(reply.text);
        ASSERT_TRUE(engine_.AwaitedReplyArrived()) << reply.text;
        engine_.PerformStepOnReply();
        EXPECT_EQ(State().Step, reply.after) << reply.text;
        Tick(reply.ticks);
    }
    EXPECT_EQ(State().BlocksSent, 2);
    ASSERT_EQ(Results().size(), 1u);
    EXPECT_EQ(Results()[0].Outcome, UploadOutcome::kComplete);
}

TEST_F(UploadEngineTest, NoReplyIsTakenOnArrivalOnceTheUploadHasEnded) {
    Start(2);
    ThroughFirstBlock();
    engine_.Stop();
    line_.sent.clear();
    Modem("SEND BLOCK\r\n");
    EXPECT_FALSE(engine_.AwaitedReplyArrived());
    engine_.PerformStepOnReply();
    EXPECT_TRUE(line_.sent.empty());
}

// ---- Limits ---------------------------------------------------------------------------------------

TEST_F(LimitedUploadEngineTest, TheHandshakeEndsAfterItsTries) {
    Start(1);
    Tick(6);  // four requests, then the timeout is reported
    ASSERT_EQ(Results().size(), 1u);
    EXPECT_EQ(Results()[0].Outcome, UploadOutcome::kTimedOut);
    EXPECT_EQ(line_.sent, "UP BULK\rUP BULK\rUP BULK\rUP BULK\rUP BULK\r");  // the fifth ends the tries
}

TEST_F(LimitedUploadEngineTest, ASilentBlockWaitEndsTheUploadInsteadOfSendingTheBlockAgain) {
    Start(2);
    ThroughFirstBlock();
    line_.sent.clear();
    Tick(21);  // the wait's twenty ticks, then the end
    ASSERT_EQ(Results().size(), 1u);
    EXPECT_EQ(Results()[0].Outcome, UploadOutcome::kTimedOut);
    EXPECT_EQ(Results()[0].Detail, "waiting for SEND BLOCK message");
    EXPECT_EQ(Results()[0].BlocksSent, 1);
    EXPECT_TRUE(line_.sent.empty());
}

// A line that stops taking a block part-way leaves the modem a short block that it does not answer: the
// wait ends the upload as for any silent modem, and the rest of the block never follows on its own.
TEST_F(LimitedUploadEngineTest, ABlockTheLineStopsTakingPartWayEndsTheUploadAsASilentWait) {
    Start(2);
    line_.takesAtMost = 400;
    ThroughFirstBlock();
    const std::string sent = line_.sent;
    EXPECT_TRUE(sent.ends_with("GO\r" + std::string(400, 'a')));
    Tick(21);
    ASSERT_EQ(Results().size(), 1u);
    EXPECT_EQ(Results()[0].Outcome, UploadOutcome::kTimedOut);
    EXPECT_EQ(Results()[0].Detail, "waiting for SEND BLOCK message");
    EXPECT_EQ(line_.sent, sent);
}

TEST_F(LimitedUploadEngineTest, AnUnknownLineStillSendsTheBlockAgain) {
    Start(2);
    ThroughFirstBlock();
    line_.sent.clear();
    Modem("NOISE\r\n");
    Tick(2);
    EXPECT_TRUE(Results().empty());
    EXPECT_EQ(line_.sent.size(), kBlock);
}

TEST_F(LimitedUploadEngineTest, TheTenthRequestForTheSameBlockInARowEndsTheUpload) {
    Start(3);
    ThroughFirstBlock();
    line_.sent.clear();
    for (int i = 0; i < 9; ++i) {
        Modem("RESEND BLOCK\r\n");
        Tick();
    }
    EXPECT_TRUE(Results().empty());
    EXPECT_EQ(line_.sent.size(), 9 * kBlock);
    Modem("RESEND BLOCK\r\n");
    Tick();
    ASSERT_EQ(Results().size(), 1u);
    EXPECT_EQ(Results()[0].Outcome, UploadOutcome::kBlockRefused);
    EXPECT_EQ(Results()[0].Detail, "The modem asked for block 1 again (10 times)");
    EXPECT_EQ(line_.sent.size(), 9 * kBlock);  // the tenth request is not answered
}

TEST_F(LimitedUploadEngineTest, ANewBlockRequestStartsTheCountOfRepeatsAfresh) {
    Start(3);
    ThroughFirstBlock();
    for (int i = 0; i < 9; ++i) {
        Modem("RESEND BLOCK\r\n");
        Tick();
    }
    Modem("SEND BLOCK\r\n");
    Tick();
    for (int i = 0; i < 9; ++i) {
        Modem("RESEND BLOCK\r\n");
        Tick();
    }
    EXPECT_TRUE(Results().empty());
    EXPECT_EQ(State().BlocksSent, 2);
}

}  // namespace
}  // namespace flash410::upload
