// The presenter where it decides something: how each way of ending an upload looks, and the port report.
#include "window_model/upload_presenter.h"

#include <gtest/gtest.h>

namespace flash410::window_model {
namespace {

class UploadPresenterTest : public ::testing::Test {
  protected:
    UploadPresenterTest() {
        screen_.ProgressLine = {"Sending block 3 of 9...", true, TextColor::kBlue, 13};
        screen_.WarningLine = {"DO NOT INTERRUPT UPLOAD", true, TextColor::kRed, 14};
        screen_.RunInstructionLine.FontPointSize = 12;
    }
    // The session's last word on an upload, in its words; the engine's own end changes nothing.
    void End(upload::UploadOutcome outcome, std::string detail = {}, double seconds = 0) {
        const double start = 10 * 3600.0 / 86400;
        const upload::UploadResult result{outcome, 3, 0, start, start + seconds / 86400, std::move(detail)};
        const ScreenState before = screen_;
        presenter_.Show(upload::events::UploadEnded{result});
        ASSERT_EQ(screen_.ResultLine, before.ResultLine);
        presenter_.Show(session::UploadConcluded{result, session::DescribeEnd(result, 9, {}), std::nullopt});
    }

    ScreenState screen_ = DesignedScreen();
    UploadPresenter presenter_{screen_};
};

TEST_F(UploadPresenterTest, ACompleteUploadSaysSoWithTheTimeTakenAndOffersRepeatAndBack) {
    End(upload::UploadOutcome::kComplete, "", 125);
    EXPECT_EQ(screen_.ResultLine.Caption, "Upload complete. Time taken: 02:05 minutes");
    EXPECT_EQ(screen_.ResultLine.Color, TextColor::kBlack);
    EXPECT_EQ(screen_.WarningLine,
              (LabelState{"The 410 will re-boot. Upload is complete", true, TextColor::kBlue, 15}));
    EXPECT_TRUE(screen_.RepeatUploadButton.Visible);
    EXPECT_TRUE(screen_.BackToStartButton.Visible);
}

TEST_F(UploadPresenterTest, AHaltedUploadIsRedAndKeepsTheWarningsVisibility) {
    screen_.WarningLine.Visible = false;
    End(upload::UploadOutcome::kModemFailed, "", 42);
    EXPECT_EQ(screen_.ResultLine.Caption, "Upload HALTED. Time taken: 42 seconds");
    EXPECT_EQ(screen_.ResultLine.Color, TextColor::kRed);
    EXPECT_EQ(screen_.WarningLine, (LabelState{"Click on <Close> button", false, TextColor::kBlue, 12}));
    EXPECT_TRUE(screen_.RepeatUploadButton.Visible);
}

TEST_F(UploadPresenterTest, ATimeOutNamesWhatWasAwaited) {
    End(upload::UploadOutcome::kTimedOut, "waiting for Thank You");
    EXPECT_EQ(screen_.ProgressLine.Caption, "Timed out waiting for Thank You");
    EXPECT_EQ(screen_.WarningLine.Caption, "");
    EXPECT_TRUE(screen_.RepeatUploadButton.Visible);
    EXPECT_TRUE(screen_.BackToStartButton.Visible);
}

TEST_F(UploadPresenterTest, ALostConnectionAndAnUnreadableImageStopTheUploadInRedWithTheReason) {
    for (upload::UploadOutcome outcome :
         {upload::UploadOutcome::kConnectionLost, upload::UploadOutcome::kImageUnreadable}) {
        screen_.WarningLine.Visible = true;
        End(outcome, "the reason");
        EXPECT_EQ(screen_.RunInstructionLine, (LabelState{"Upload stopped", true, TextColor::kRed, 12}));
        EXPECT_EQ(screen_.ProgressLine, (LabelState{"the reason", true, TextColor::kRed, 13}));
        EXPECT_FALSE(screen_.WarningLine.Visible);
        EXPECT_TRUE(screen_.RepeatUploadButton.Visible);
    }
}

TEST_F(UploadPresenterTest, AnUnexpectedEraseAnswerIsQuotedWithoutItsLineEndsAndNothingElseChanges) {
    const ScreenState before = screen_;
    End(upload::UploadOutcome::kUnexpectedReply, "\nERASE STARTED\r\n");
    EXPECT_EQ(screen_.ProgressLine.Caption, "unexpected response: ERASE STARTED");
    screen_.ProgressLine = before.ProgressLine;
    EXPECT_EQ(screen_.WarningLine, before.WarningLine);
    EXPECT_EQ(screen_.RepeatUploadButton, before.RepeatUploadButton);
}

TEST_F(UploadPresenterTest, AnUploadTheOperatorLeftChangesNothingOnTheScreen) {
    const ScreenState before = screen_;
    End(upload::UploadOutcome::kStopped);
    EXPECT_EQ(screen_.ProgressLine, before.ProgressLine);
    EXPECT_EQ(screen_.ResultLine, before.ResultLine);
    EXPECT_EQ(screen_.WarningLine, before.WarningLine);
    EXPECT_EQ(screen_.RunInstructionLine, before.RunInstructionLine);
    EXPECT_EQ(screen_.RepeatUploadButton, before.RepeatUploadButton);
    EXPECT_EQ(screen_.BackToStartButton, before.BackToStartButton);
}

TEST_F(UploadPresenterTest, ThePortReportSaysWhetherThePortOpenedAndOffersAFileOnlyIfItDid) {
    presenter_.Show(upload::events::PortReport{false, 4, 38400});
    EXPECT_EQ(screen_.PortStatusLine.Caption, "Port did not open on Com 4 at 38400 baud");
    EXPECT_FALSE(screen_.ChooseFileButton.Visible);
    presenter_.Show(upload::events::PortReport{true, 7, 19200});
    EXPECT_EQ(screen_.PortStatusLine.Caption, "Port is open on Com 7 at 19200 baud");
    EXPECT_TRUE(screen_.ChooseFileButton.Visible);
    EXPECT_FALSE(screen_.WarningLine.Visible);
}

TEST_F(UploadPresenterTest, AnEraseErrorLineIsShownWithoutItsLineEnds) {
    presenter_.Show(upload::events::EraseErrorLine{"\nERASE ERROR\r\n"});
    EXPECT_EQ(screen_.ProgressLine.Caption, "ERASE ERROR");
}

TEST_F(UploadPresenterTest, TheSilenceTextUsesTheIntervalTheEngineTicksAt) {
    presenter_.Show(upload::events::SilenceResent{2000, 50, 3});
    EXPECT_EQ(screen_.ProgressLine.Caption, "No answer from the modem for 100 s: block 3 sent again");
    presenter_.Show(upload::events::TickIntervalNeeded{500});
    EXPECT_EQ(screen_.Timer.IntervalMs, 500);
}

}  // namespace
}  // namespace flash410::window_model
