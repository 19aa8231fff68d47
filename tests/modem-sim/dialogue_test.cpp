// The upload dialogue as a well-behaved PC sees it: handshake, erase, blocks, and uploads in a row.
#include <gtest/gtest.h>

#include "modem_fixture.h"

namespace modemsim::testing {
namespace {

using DialogueTest = ModemTest;

TEST_F(DialogueTest, AnswersEitherUploadRequestWithReady) {
    Start();
    pc().Send("UP MC\r");
    EXPECT_EQ(pc().ReadLine(), "READY\r\n");
    const UploadReport mc = CloseAndReport();
    EXPECT_EQ(mc.type, UploadType::kMc);
    EXPECT_EQ(mc.uploadRequests, 1);
    EXPECT_EQ(mc.outcome, UploadOutcome::kHungUp);

    Reconnect();
    pc().Send("UP BULK\r");
    EXPECT_EQ(pc().ReadLine(), "READY\r\n");
    EXPECT_EQ(CloseAndReport().type, UploadType::kBulk);
}

TEST_F(DialogueTest, IgnoresAnythingButAnUploadRequestWhileIdle) {
    Start();
    pc().Send("GO\rUP  BULK\rup bulk\rUPLOAD DONE\r");
    EXPECT_EQ(pc().ReadFor(std::chrono::milliseconds(300)), "");
    pc().Send("UP BULK\r");
    EXPECT_EQ(pc().ReadLine(), "READY\r\n");
}

TEST_F(DialogueTest, AnswersRepeatedRequestsAfterReadyAndWaitsForGo) {
    Start();
    pc().Send("UP BULK\r");
    EXPECT_EQ(pc().ReadLine(), "READY\r\n");
    // The PC repeats its request until it has seen READY.
    pc().Send("UP BULK\r");
    EXPECT_EQ(pc().ReadLine(), "READY\r\n");
    pc().Send("GO\r");
    EXPECT_EQ(pc().ReadLine(), "ERASING\r\n");
    EXPECT_EQ(CloseAndReport().uploadRequests, 2);
}

TEST_F(DialogueTest, EraseReportsItsErrorsBeforeCompleting) {
    SimConfig config;
    config.faults.eraseErrors = 2;
    Start(config);
    const std::vector<std::string> expected{"ERASING\r\n",     "ERASE ERROR\r\n", "BAD BLOCK 1\r\n",
                                            "ERASE ERROR\r\n", "BAD BLOCK 2\r\n", "ERASE COMPLETE\r\n",
                                            "SEND BLOCK\r\n"};
    EXPECT_EQ(OpenUpload(), expected);
    const UploadReport report = CloseAndReport();
    EXPECT_EQ(report.eraseErrors, 2);
    EXPECT_TRUE(report.goReceived);
}

TEST_F(DialogueTest, ThreeBlockUploadLeavesTheExactFlashImage) {
    Start();
    EXPECT_EQ(OpenUpload().back(), "SEND BLOCK\r\n");
    EXPECT_EQ(SendBlock("000000", Pattern(1)), "SEND BLOCK\r\n");
    EXPECT_EQ(SendBlock("000400", Pattern(2)), "SEND BLOCK\r\n");
    EXPECT_EQ(SendBlock("3FFC00", Pattern(3)), "SEND BLOCK\r\n");
    pc().Send("UPLOAD DONE\r");
    EXPECT_EQ(pc().ReadLine(), "THANK YOU\r\n");

    const UploadReport report = ReportOf(1);
    EXPECT_EQ(report.outcome, UploadOutcome::kComplete);
    EXPECT_EQ(report.blocksStored, 3);
    EXPECT_EQ(report.resendsAsked, 0);
    EXPECT_EQ(report.badBlocks, 0);
    EXPECT_EQ(report.bytesReceived, 8u + 3u + 3u * 1031u + 12u);
    const Bytes expected =
        FlashWith({{0x000000, Pattern(1)}, {0x000400, Pattern(2)}, {0x3FFC00, Pattern(3)}});
    const Bytes flash = modem().Flash();
    EXPECT_TRUE(flash == expected) << "first difference " << FirstDifference(flash, expected);
}

TEST_F(DialogueTest, EveryByteValueReachesTheFlashUnchanged) {
    // CR, LF, XON, XOFF, Ctrl-C and the rest must cross the line untouched.
    Bytes data(1024);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i % 256);
    }
    Start();
    OpenUpload();
    EXPECT_EQ(SendBlock("000800", data), "SEND BLOCK\r\n");
    pc().Send("UPLOAD DONE\r");
    EXPECT_EQ(pc().ReadLine(), "THANK YOU\r\n");
    ReportOf(1);
    EXPECT_TRUE(modem().Flash() == FlashWith({{0x000800, data}}));
}

TEST_F(DialogueTest, TakesTheSameBlockAgainAsAResendBringsIt) {
    Start();
    OpenUpload();
    EXPECT_EQ(SendBlock("000400", Pattern(7)), "SEND BLOCK\r\n");
    EXPECT_EQ(SendBlock("000400", Pattern(8)), "SEND BLOCK\r\n");
    const UploadReport report = CloseAndReport();
    EXPECT_EQ(report.blocksStored, 1);
    EXPECT_EQ(report.blocksRepeated, 1);
    EXPECT_TRUE(modem().Flash() == FlashWith({{0x000400, Pattern(8)}}));
}

TEST_F(DialogueTest, AnUploadWithoutBlocksEndsAtOnce) {
    Start();
    OpenUpload();
    pc().Send("UPLOAD DONE\r");
    EXPECT_EQ(pc().ReadLine(), "THANK YOU\r\n");
    const UploadReport report = ReportOf(1);
    EXPECT_EQ(report.outcome, UploadOutcome::kComplete);
    EXPECT_EQ(report.blocksStored, 0);
}

TEST_F(DialogueTest, RepeatUploadOnTheOpenPortErasesAndStartsAfresh) {
    Start();
    OpenUpload("UP MC\r");
    EXPECT_EQ(SendBlock("001000", Pattern(1)), "SEND BLOCK\r\n");
    pc().Send("UPLOAD DONE\r");
    EXPECT_EQ(pc().ReadLine(), "THANK YOU\r\n");

    OpenUpload();
    // Lower than the first upload's block: a new upload has no order to keep yet.
    EXPECT_EQ(SendBlock("000400", Pattern(2)), "SEND BLOCK\r\n");
    pc().Send("UPLOAD DONE\r");
    EXPECT_EQ(pc().ReadLine(), "THANK YOU\r\n");

    const UploadReport second = ReportOf(2);
    EXPECT_EQ(ReportOf(1).outcome, UploadOutcome::kComplete);
    EXPECT_EQ(second.outcome, UploadOutcome::kComplete);
    EXPECT_EQ(second.number, 2);
    EXPECT_EQ(second.type, UploadType::kBulk);
    EXPECT_TRUE(modem().Flash() == FlashWith({{0x000400, Pattern(2)}}));
}

TEST_F(DialogueTest, ServesTheNextProgramAfterThePortCloses) {
    Start();
    OpenUpload();
    EXPECT_EQ(SendBlock("000000", Pattern(1)), "SEND BLOCK\r\n");
    const UploadReport abandoned = CloseAndReport();
    EXPECT_EQ(abandoned.outcome, UploadOutcome::kHungUp);
    EXPECT_EQ(abandoned.blocksStored, 1);

    Reconnect();
    OpenUpload();
    EXPECT_EQ(SendBlock("000000", Pattern(2)), "SEND BLOCK\r\n");
    pc().Send("UPLOAD DONE\r");
    EXPECT_EQ(pc().ReadLine(), "THANK YOU\r\n");
    EXPECT_EQ(ReportOf(2).outcome, UploadOutcome::kComplete);
    EXPECT_EQ(ReportOf(2).bytesReceived, 8u + 3u + 1031u + 12u);
}

TEST_F(DialogueTest, AnUploadRequestMidwayStartsANewUpload) {
    Start();
    OpenUpload();
    EXPECT_EQ(SendBlock("000400", Pattern(1)), "SEND BLOCK\r\n");
    pc().Send("UP MC\r");
    EXPECT_EQ(pc().ReadLine(), "READY\r\n");
    pc().Send("GO\r");
    EXPECT_EQ(pc().ReadLine(), "ERASING\r\n");

    const UploadReport first = ReportOf(1);
    EXPECT_EQ(first.outcome, UploadOutcome::kRestarted);
    EXPECT_EQ(first.bytesReceived, 8u + 3u + 1031u);
    const UploadReport second = CloseAndReport();
    EXPECT_EQ(second.type, UploadType::kMc);
    EXPECT_EQ(second.bytesReceived, 6u + 3u);
}

}  // namespace
}  // namespace modemsim::testing
