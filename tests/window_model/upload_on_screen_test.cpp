// An upload as the window shows it, from Start Upload on the run panel to its end, and the image it sends:
// the one read and checked when it was chosen, whatever happens to its file afterwards. The dialogue's
// every turn is the upload library's to show; this is what the window adds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/fake_serial_line.h"
#include "support/firmware_files.h"
#include "support/temp_folder.h"
#include "window_model/main_window_model.h"

namespace flash410::window_model {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBlock = 1031;

class UploadOnScreen : public ::testing::Test {
  protected:
    test_support::TempFolder temp_{"upload"};  // declared first, so it is removed last
    UploadOnScreen() : folder_(temp_.folder()) {}
    ~UploadOnScreen() override { model_.reset(); }

    // Opens the port, chooses a ready image of count blocks and presses Start Upload.
    void Start(int count) {
        image_ = test_support::UploadImageOfBlocks(count);
        std::ofstream(folder_ + "fw.vxf", std::ios::binary) << image_;
        model_ = std::make_unique<MainWindowModel>(WindowModelEnvironment{
            .processPendingEvents = [this] { DeliverPending(); },
            .clock = [this] { return clock_; },
            .files = flash410::platform::BesideProgram(folder_),
            .chooseFile = [this](const std::string&) { return std::optional(folder_ + "fw.vxf"); },
            .testLine = &line_});
        model_->Activate();
        model_->OpenPort();
        Tick(3);
        model_->ChooseFile();
        Tick();  // the run prompt
        model_->StartUpload();
        line_.sent.clear();
    }
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) model_->Tick();
    }
    // The modem's bytes, noticed as the window notices them while a tick runs.
    void Modem(const std::string& text) { line_.incoming += text; }
    void DeliverPending() {
        if (!line_.incoming.empty()) {
            model_->ReadMessage();
        }
    }
    void ThroughErase() {
        Tick();  // the upload request
        Modem("READY\r\n");
        Tick();
        Modem("ERASING\r\n");
        Tick();
        Modem("ERASE COMPLETE\r\n");
        Tick();
        line_.sent.clear();
    }
    std::string Block(int k) const { return image_.substr(static_cast<std::size_t>(k) * kBlock, kBlock); }
    ScreenState& Screen() { return model_->screen(); }

    std::string folder_;
    std::string image_;
    double clock_ = 10 * 3600.0;
    test_support::FakeSerialLine line_;
    std::unique_ptr<MainWindowModel> model_;
};

TEST_F(UploadOnScreen, AnUploadShowsEachStepOnTheRunPanelAndItsEndWithTheTimeTaken) {
    Start(2);
    EXPECT_EQ(Screen().ProgressLine, (LabelState{"Please, wait....", true, TextColor::kBlue, 13}));
    EXPECT_EQ(Screen().WarningLine, (LabelState{"DO NOT INTERRUPT UPLOAD", false, TextColor::kRed, 14}));
    EXPECT_FALSE(Screen().UploadButton.Visible);
    Tick();
    EXPECT_EQ(Screen().Timer.IntervalMs, 500);
    Modem("READY\r\n");
    Tick();
    EXPECT_TRUE(Screen().WarningLine.Visible);
    EXPECT_EQ(Screen().Timer.IntervalMs, 50);
    Modem("ERASING\r\n");
    Tick();
    EXPECT_EQ(Screen().ProgressLine.Caption, "Erasing...");
    Modem("ERASE COMPLETE\r\n");
    Tick();
    EXPECT_EQ(Screen().ProgressLine.Caption, "Erase complete...");
    EXPECT_TRUE(Screen().Gauge.Visible);
    EXPECT_EQ(Screen().Gauge.MaxValue, 2);
    for (int k = 0; k < 2; ++k) {
        Modem("SEND BLOCK\r\n");
        Tick();
        EXPECT_EQ(Screen().ProgressLine.Caption, "Sending block " + std::to_string(k + 1) + " of 2...");
        EXPECT_EQ(Screen().Gauge.Progress, k + 1);
    }
    Modem("RESEND BLOCK\r\n");
    Tick();
    EXPECT_EQ(Screen().ProgressLine.Caption, "The modem asked for block 2 again (1 time)");
    Modem("SEND BLOCK\r\n");
    Tick(2);
    EXPECT_EQ(Screen().RunInstructionLine.Caption, "Upload done...");
    clock_ += 42;
    Modem("THANK YOU\r\n");
    Tick(3);
    EXPECT_EQ(Screen().RunInstructionLine.Caption, "Software Upload complete");
    EXPECT_EQ(Screen().WarningLine,
              (LabelState{"The 410 will re-boot. Upload is complete", true, TextColor::kBlue, 15}));
    EXPECT_EQ(Screen().ResultLine.Caption, "Upload complete. Time taken: 42 seconds");
    EXPECT_FALSE(Screen().Gauge.Visible);
    EXPECT_TRUE(Screen().RepeatUploadButton.Visible);
    EXPECT_TRUE(Screen().BackToStartButton.Visible);
    EXPECT_EQ(model_->state().HelpTopic, 5);
}

TEST_F(UploadOnScreen, AnImageCutOrRewrittenInPlaceDuringTheUploadIsNotWhatIsSent) {
    Start(2);
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    EXPECT_EQ(line_.sent, Block(0));
    // Cut, then written over in place with another image of the same blocks, as "cp B.VXF A.VXF" does.
    fs::resize_file(folder_ + "fw.vxf", kBlock + 100);
    std::ofstream(folder_ + "fw.vxf", std::ios::binary | std::ios::in | std::ios::out)
        << test_support::UploadImageOfBlocks(2, 'K');
    Modem("SEND BLOCK\r\n");
    Tick();
    Modem("SEND BLOCK\r\n");
    Tick(3);
    EXPECT_EQ(line_.sent.substr(0, 2 * kBlock), Block(0) + Block(1));
    EXPECT_EQ(Screen().ResultLine.Caption, "");  // still waiting for THANK YOU
}

TEST_F(UploadOnScreen, TheImageSentIsTheOneCheckedWhenItWasChosenEvenIfReplacedSince) {
    Start(2);
    // Another image takes the name after the check, as a preparation elsewhere would put it in place.
    std::ofstream(folder_ + "other.vxf", std::ios::binary) << test_support::UploadImageOfBlocks(2, 'K');
    fs::rename(folder_ + "other.vxf", folder_ + "fw.vxf");
    ThroughErase();
    Modem("SEND BLOCK\r\n");
    Tick();
    Modem("SEND BLOCK\r\n");
    Tick();
    EXPECT_EQ(line_.sent, Block(0) + Block(1));
}

}  // namespace
}  // namespace flash410::window_model
