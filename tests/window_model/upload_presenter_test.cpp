// The presenter where it decides something: how each way of ending an upload looks, and the port report.
#include "window_model/upload_presenter.h"

#include <gtest/gtest.h>

namespace uflash8 {
namespace {

class UploadPresenterTest : public ::testing::Test {
  protected:
    UploadPresenterTest() {
        screen_.Label2 = {"Sending block 3 of 9...", true, TextColor::kBlue, 13};
        screen_.Label10 = {"DO NOT INTERRUPT UPLOAD", true, TextColor::kRed, 14};
        screen_.Label15.FontPointSize = 12;
    }
    void End(UploadOutcome outcome, std::string detail = {}, double seconds = 0) {
        const double start = 10 * 3600.0 / 86400;
        presenter_.Show(
            events::UploadEnded{{outcome, 3, 0, start, start + seconds / 86400, std::move(detail)}});
    }

    ScreenState screen_ = DesignedScreen();
    UploadPresenter presenter_{screen_};
};

TEST_F(UploadPresenterTest, ACompleteUploadSaysSoWithTheTimeTakenAndOffersRepeatAndBack) {
    End(UploadOutcome::kComplete, "", 125);
    EXPECT_EQ(screen_.Label4.Caption, "Upload complete. Time taken: 02:05 minutes");
    EXPECT_EQ(screen_.Label4.Color, TextColor::kBlack);
    EXPECT_EQ(screen_.Label10,
              (LabelState{"The 410 will re-boot. Upload is complete", true, TextColor::kBlue, 15}));
    EXPECT_TRUE(screen_.BtnRepeatUpload.Visible);
    EXPECT_TRUE(screen_.BtnBackToStart.Visible);
}

TEST_F(UploadPresenterTest, AHaltedUploadIsRedAndKeepsTheWarningsVisibility) {
    screen_.Label10.Visible = false;
    End(UploadOutcome::kModemFailed, "", 42);
    EXPECT_EQ(screen_.Label4.Caption, "Upload HALTED. Time taken: 42 seconds");
    EXPECT_EQ(screen_.Label4.Color, TextColor::kRed);
    EXPECT_EQ(screen_.Label10, (LabelState{"Click on <Close> button", false, TextColor::kBlue, 12}));
    EXPECT_TRUE(screen_.BtnRepeatUpload.Visible);
}

TEST_F(UploadPresenterTest, ATimeOutNamesWhatWasAwaited) {
    End(UploadOutcome::kTimedOut, "waiting for Thank You");
    EXPECT_EQ(screen_.Label2.Caption, "Timed out waiting for Thank You");
    EXPECT_EQ(screen_.Label10.Caption, "");
    EXPECT_TRUE(screen_.BtnRepeatUpload.Visible);
    EXPECT_TRUE(screen_.BtnBackToStart.Visible);
}

TEST_F(UploadPresenterTest, ALostConnectionAndAnUnreadableImageStopTheUploadInRedWithTheReason) {
    for (UploadOutcome outcome : {UploadOutcome::kConnectionLost, UploadOutcome::kImageUnreadable}) {
        screen_.Label10.Visible = true;
        End(outcome, "the reason");
        EXPECT_EQ(screen_.Label15, (LabelState{"Upload stopped", true, TextColor::kRed, 12}));
        EXPECT_EQ(screen_.Label2, (LabelState{"the reason", true, TextColor::kRed, 13}));
        EXPECT_FALSE(screen_.Label10.Visible);
        EXPECT_TRUE(screen_.BtnRepeatUpload.Visible);
    }
}

TEST_F(UploadPresenterTest, AnUnexpectedEraseAnswerIsQuotedAndNothingElseChanges) {
    const ScreenState before = screen_;
    End(UploadOutcome::kUnexpectedReply, "\nERASE STARTED\r\n");
    EXPECT_EQ(screen_.Label2.Caption, "unexpected response: \nERASE STARTED\r\n");
    screen_.Label2 = before.Label2;
    EXPECT_EQ(screen_.Label10, before.Label10);
    EXPECT_EQ(screen_.BtnRepeatUpload, before.BtnRepeatUpload);
}

TEST_F(UploadPresenterTest, AnUploadTheOperatorLeftChangesNothingOnTheScreen) {
    const ScreenState before = screen_;
    End(UploadOutcome::kStopped);
    EXPECT_EQ(screen_.Label2, before.Label2);
    EXPECT_EQ(screen_.Label4, before.Label4);
    EXPECT_EQ(screen_.Label10, before.Label10);
    EXPECT_EQ(screen_.Label15, before.Label15);
    EXPECT_EQ(screen_.BtnRepeatUpload, before.BtnRepeatUpload);
    EXPECT_EQ(screen_.BtnBackToStart, before.BtnBackToStart);
}

TEST_F(UploadPresenterTest, ThePortReportSaysWhetherThePortOpenedAndOffersAFileOnlyIfItDid) {
    presenter_.Show(events::PortReport{false, 4, 38400});
    EXPECT_EQ(screen_.Label12.Caption, "Port did not open on Com 4 at 38400 baud");
    EXPECT_FALSE(screen_.BtnChooseFile.Visible);
    presenter_.Show(events::PortReport{true, 7, 19200});
    EXPECT_EQ(screen_.Label12.Caption, "Port is open on Com 7 at 19200 baud");
    EXPECT_TRUE(screen_.BtnChooseFile.Visible);
    EXPECT_FALSE(screen_.Label10.Visible);
}

TEST_F(UploadPresenterTest, TheSilenceTextUsesTheIntervalTheEngineTicksAt) {
    presenter_.Show(events::SilenceResent{2000, 50, 3});
    EXPECT_EQ(screen_.Label2.Caption, "No answer from the modem for 100 s: block 3 sent again");
    presenter_.Show(events::TickIntervalNeeded{500});
    EXPECT_EQ(screen_.Timer1.IntervalMs, 500);
}

}  // namespace
}  // namespace uflash8
