// The faults the modem can be asked to show, each of which the PC must ride out.
#include <gtest/gtest.h>

#include <cctype>

#include "modem_fixture.h"

namespace modemsim::testing {
namespace {

using Clock = std::chrono::steady_clock;
using FaultTest = ModemTest;

TEST_F(FaultTest, ReadyOnlyAfterTheKthRequest) {
    SimConfig config;
    config.faults.readyOnRequest = 3;
    Start(config);
    pc().Send("UP BULK\r");
    pc().Send("UP BULK\r");
    EXPECT_EQ(pc().ReadFor(std::chrono::milliseconds(300)), "");
    pc().Send("UP BULK\r");
    EXPECT_EQ(pc().ReadLine(), "READY\r\n");
    EXPECT_EQ(CloseAndReport().uploadRequests, 3);
}

TEST_F(FaultTest, NeverReadyNeverAnswers) {
    SimConfig config;
    config.faults.neverReady = true;
    Start(config);
    for (int i = 0; i < 5; ++i) {
        pc().Send("UP MC\r");
    }
    pc().Send("GO\r");
    EXPECT_EQ(pc().ReadFor(std::chrono::milliseconds(300)), "");
    const UploadReport report = CloseAndReport();
    EXPECT_EQ(report.uploadRequests, 5);
    EXPECT_FALSE(report.goReceived);
}

TEST_F(FaultTest, CorruptedBlockIsAskedForAgain) {
    SimConfig config;
    config.faults.corruptEvery = 2;
    Start(config);
    OpenUpload();
    EXPECT_EQ(SendBlock("000000", Pattern(1)), "SEND BLOCK\r\n");
    EXPECT_EQ(SendBlock("000400", Pattern(2)), "RESEND BLOCK\r\n");
    EXPECT_EQ(SendBlock("000400", Pattern(2)), "SEND BLOCK\r\n");
    EXPECT_EQ(SendBlock("000800", Pattern(3)), "SEND BLOCK\r\n");
    EXPECT_EQ(SendBlock("000C00", Pattern(4)), "RESEND BLOCK\r\n");
    pc().Send("UPLOAD DONE\r");
    EXPECT_EQ(pc().ReadLine(), "THANK YOU\r\n");

    const UploadReport report = ReportOf(1);
    EXPECT_EQ(report.blocksStored, 3);
    EXPECT_EQ(report.resendsAsked, 2);
    EXPECT_EQ(report.badBlocks, 2);
    EXPECT_EQ(
        SummaryLine(report).substr(0, 112),
        "upload 1 (UP BULK) complete: blocks stored 3, resends asked 2, bad blocks 2, bytes received 5178, "
        "seconds taken ");
    // The damage happened on the line: what was stored is what the PC sent.
    EXPECT_TRUE(modem().Flash() ==
                FlashWith({{0x000000, Pattern(1)}, {0x000400, Pattern(2)}, {0x000800, Pattern(3)}}));
}

TEST_F(FaultTest, ShortFormsAskWithSAndR) {
    SimConfig config;
    config.faults.shortForms = true;
    config.faults.corruptEvery = 2;
    Start(config);
    EXPECT_EQ(OpenUpload().back(), "S\r\n");
    EXPECT_EQ(SendBlock("000000", Pattern(1)), "S\r\n");
    EXPECT_EQ(SendBlock("000400", Pattern(2)), "R\r\n");
    EXPECT_EQ(SendBlock("000400", Pattern(2)), "S\r\n");
}

TEST_F(FaultTest, FailedAfterNBlocksEndsTheUpload) {
    SimConfig config;
    config.faults.failAfter = 2;
    Start(config);
    OpenUpload();
    EXPECT_EQ(SendBlock("000000", Pattern(1)), "SEND BLOCK\r\n");
    EXPECT_EQ(SendBlock("000400", Pattern(2)), "FAILED\r\n");
    const UploadReport report = ReportOf(1);
    EXPECT_EQ(report.outcome, UploadOutcome::kFailed);
    EXPECT_EQ(report.blocksStored, 2);
    // The PC may try again on the same port.
    pc().Send("UP BULK\r");
    EXPECT_EQ(pc().ReadLine(), "READY\r\n");
}

TEST_F(FaultTest, FailedAfterNoBlockReplacesTheFirstRequest) {
    SimConfig config;
    config.faults.failAfter = 0;
    Start(config);
    EXPECT_EQ(OpenUpload().back(), "FAILED\r\n");
    EXPECT_EQ(ReportOf(1).outcome, UploadOutcome::kFailed);
}

TEST_F(FaultTest, ARequestLostOnTheLineLeavesTheModemSilentUntilTheBlockComesAgain) {
    SimConfig config;
    config.faults.dropRequestAfter = 1;
    Start(config);
    OpenUpload();
    pc().Send(BuildBlock("000000", Pattern(1)));
    EXPECT_EQ(pc().ReadFor(std::chrono::milliseconds(300)), "");
    EXPECT_EQ(SendBlock("000000", Pattern(1)), "SEND BLOCK\r\n");
    EXPECT_EQ(SendBlock("000400", Pattern(2)), "SEND BLOCK\r\n");  // only the first request is lost
}

TEST_F(FaultTest, ARequestSaidTwiceComesTwiceOnce) {
    SimConfig config;
    config.faults.doubleRequestAfter = 1;
    config.faults.corruptEvery = 2;
    Start(config);
    OpenUpload();
    EXPECT_EQ(SendBlock("000000", Pattern(1)), "SEND BLOCK\r\n");
    EXPECT_EQ(pc().ReadLine(), "SEND BLOCK\r\n");
    EXPECT_EQ(SendBlock("000400", Pattern(2)), "RESEND BLOCK\r\n");
    EXPECT_EQ(pc().ReadFor(std::chrono::milliseconds(300)), "");
}

TEST_F(FaultTest, UnknownReplyMakesThePcSendTheSameBlockAgain) {
    SimConfig config;
    config.faults.unknownReplyAfter = 1;
    Start(config);
    OpenUpload();
    EXPECT_EQ(SendBlock("000400", Pattern(1)), "OK\r\n");
    EXPECT_EQ(SendBlock("000400", Pattern(1)), "SEND BLOCK\r\n");
    EXPECT_EQ(SendBlock("000800", Pattern(2)), "SEND BLOCK\r\n");
    const UploadReport report = CloseAndReport();
    EXPECT_EQ(report.blocksStored, 2);
    EXPECT_EQ(report.blocksRepeated, 1);
    EXPECT_EQ(report.resendsAsked, 0);
}

TEST_F(FaultTest, SilenceBeforeErasingHoldsTheReplyBack) {
    SimConfig config;
    config.faults.silences.push_back({SilencePoint::kBeforeErasing, 0, std::chrono::milliseconds(800)});
    Start(config);
    pc().Send("UP BULK\r");
    EXPECT_EQ(pc().ReadLine(), "READY\r\n");
    const auto sent = Clock::now();
    pc().Send("GO\r");
    EXPECT_EQ(pc().ReadFor(std::chrono::milliseconds(300)), "");
    EXPECT_EQ(pc().ReadLine(), "ERASING\r\n");
    EXPECT_GE(Clock::now() - sent, std::chrono::milliseconds(800));
}

TEST_F(FaultTest, SilenceBeforeABlockRequestFallsAfterThatBlock) {
    SimConfig config;
    config.faults.silences.push_back({SilencePoint::kBeforeBlockRequest, 2, std::chrono::milliseconds(600)});
    Start(config);
    OpenUpload();
    EXPECT_EQ(SendBlock("000000", Pattern(1)), "SEND BLOCK\r\n");
    const auto sent = Clock::now();
    pc().Send(BuildBlock("000400", Pattern(2)));
    EXPECT_EQ(pc().ReadFor(std::chrono::milliseconds(200)), "");
    EXPECT_EQ(pc().ReadLine(), "SEND BLOCK\r\n");
    EXPECT_GE(Clock::now() - sent, std::chrono::milliseconds(600));
}

TEST_F(FaultTest, SplitRepliesArriveInPiecesAndWhole) {
    SimConfig config;
    config.faults.splitReplies = 2;
    config.faults.splitPause = std::chrono::milliseconds(60);
    Start(config);
    pc().Send("UP BULK\r");
    EXPECT_EQ(pc().ReadLine(), "READY\r\n");
    EXPECT_GE(pc().readsForLastLine(), 2);
    pc().Send("GO\r");
    EXPECT_EQ(pc().ReadLine(), "ERASING\r\n");
    EXPECT_EQ(pc().ReadLine(), "ERASE COMPLETE\r\n");
    EXPECT_EQ(pc().ReadLine(), "SEND BLOCK\r\n");
}

TEST_F(FaultTest, NoiseComesBeforeEveryReplyAndSpellsNothing) {
    SimConfig config;
    config.faults.noiseBytes = 4;
    Start(config);
    pc().Send("UP BULK\r");
    const std::string ready = pc().ReadLine();
    pc().Send("GO\r");
    const std::string erasing = pc().ReadLine();
    for (const auto& [line, reply] : {std::pair{ready, std::string("READY\r\n")}, {erasing, "ERASING\r\n"}}) {
        ASSERT_EQ(line.size(), 4 + reply.size()) << ::testing::PrintToString(line);
        EXPECT_EQ(line.substr(4), reply);
        for (const char c : line.substr(0, 4)) {
            EXPECT_TRUE(c != '\r' && c != '\n' && !std::isalpha(static_cast<unsigned char>(c)))
                << "noise byte " << static_cast<int>(static_cast<unsigned char>(c));
        }
    }
}

TEST_F(FaultTest, FaultsCombine) {
    SimConfig config;
    config.faults.readyOnRequest = 2;
    config.faults.eraseErrors = 1;
    config.faults.corruptEvery = 1;
    config.faults.shortForms = true;
    config.faults.noiseBytes = 1;
    config.faults.splitReplies = 3;
    config.faults.splitPause = std::chrono::milliseconds(1);
    Start(config);
    pc().Send("UP BULK\r");
    pc().Send("UP BULK\r");
    EXPECT_EQ(pc().ReadLine().substr(1), "READY\r\n");
    pc().Send("GO\r");
    for (const char* expected :
         {"ERASING\r\n", "ERASE ERROR\r\n", "BAD BLOCK 1\r\n", "ERASE COMPLETE\r\n", "S\r\n"}) {
        EXPECT_EQ(pc().ReadLine().substr(1), expected);
    }
    // Every first sending is damaged; every resend gets through.
    EXPECT_EQ(SendBlock("000000", Pattern(1)).substr(1), "R\r\n");
    EXPECT_EQ(SendBlock("000000", Pattern(1)).substr(1), "S\r\n");
    EXPECT_EQ(SendBlock("000400", Pattern(2)).substr(1), "R\r\n");
    EXPECT_EQ(SendBlock("000400", Pattern(2)).substr(1), "S\r\n");
    pc().Send("UPLOAD DONE\r");
    EXPECT_EQ(pc().ReadLine().substr(1), "THANK YOU\r\n");
    const UploadReport report = ReportOf(1);
    EXPECT_EQ(report.blocksStored, 2);
    EXPECT_EQ(report.resendsAsked, 2);
    EXPECT_TRUE(modem().Flash() == FlashWith({{0x000000, Pattern(1)}, {0x000400, Pattern(2)}}));
}

}  // namespace
}  // namespace modemsim::testing
