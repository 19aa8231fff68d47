// Whole uploads as an engineer runs them, without the window: the window model and the serial component talk
// to the simulated modem over a pseudo-terminal, and the modem's flash must end up holding exactly the
// firmware, whatever the input type, the rate and the faults on the line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "line_faults.h"
#include "modem_sim/modem_simulator.h"
#include "platform/time_of_day.h"
#include "serial/serial_port.h"
#include "support/firmware_files.h"
#include "support/linked_modem.h"
#include "support/program_folder.h"
#include "support/test_ui_thread.h"
#include "support/wired_serial.h"
#include "window_model/main_window_model.h"

namespace flash410::window_model {
namespace {

namespace fs = std::filesystem;
using test_support::Faults;
using test_support::FlashBytes;
using test_support::kSimulatorReportGuard;
using test_support::LineFault;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr int kModemPort = 2;

// A modem that keeps quiet after the given number of blocks, longer than any test waits, so that a test
// acting "in the middle" of an upload finds a middle however fast the machine is.
modemsim::SimConfig ModemHoldingItsRequestAfter(int blocks) {
    modemsim::SimConfig config;
    config.faults.silences.push_back(
        {modemsim::SilencePoint::kBeforeBlockRequest, blocks, std::chrono::seconds(90)});
    return config;
}

class UploadEndToEnd : public ::testing::Test {
  protected:
    ~UploadEndToEnd() override {
        model_.reset();
        modem_.reset();
        fs::current_path(previousDirectory_);
    }

    void StartModem(modemsim::SimConfig config = {}) {
        modem_ = test_support::StartModemLinkedAs(folder_, kModemPort, std::move(config));
        model_ = std::make_unique<MainWindowModel>(WindowModelEnvironment{
            .postToUiThread = ui_.Poster(),
            .showLineError = [this](const std::string& text) { errors_.push_back(text); },
            .processPendingEvents = [this] { ui_.RunPending(); },
            .clock = platform::LocalTimeOfDaySeconds,
            .files = flash410::platform::BesideProgram(folder_.folder()),
            .chooseFile = [this](const std::string&) { return chosen_; }});
        model_->Activate();
    }

    // Ticks as the window's timer does until the condition holds; the bound only keeps a broken upload
    // from hanging the suite. A file's preparation waits on nothing but its ticks, so its steps follow one
    // another at once, where the window's timer would give each its interval.
    template <typename Condition>
    void TickUntil(Condition done, int maxTicks = 20000) {
        for (int tick = 0; tick < maxTicks; ++tick) {
            const auto tickStart = std::chrono::steady_clock::now();
            model_->Tick();
            if (done())
                return;
            if (model_->state().Preparation == PreparationStep::kIdle) {
                WaitForNextTick(tickStart);
            }
        }
        FAIL() << "still in state " << model_->CurrentStepNumber();
    }
    void RunUntilIdle() {
        TickUntil([this] { return model_->Idle(); });
    }

    // Between ticks the window handles the serial component's notifications as they come (among them
    // one after every write that emptied the output queue) and ticks again once the timer's interval has
    // passed: 500 ms until READY, 50 ms after. The modem's bytes bring the tick forward, so that the
    // tests run at the modem's pace; every tick thus either finds new text or has waited its whole
    // interval, and the handshake's tries and the waits' ticks run out no faster than in the window.
    void WaitForNextTick(std::chrono::steady_clock::time_point tickStart) {
        using namespace std::chrono;
        bytesArrived_ = false;
        const auto due = tickStart + milliseconds(model_->screen().Timer.IntervalMs);
        while (!bytesArrived_) {
            const auto left = duration_cast<milliseconds>(due - steady_clock::now());
            if (left <= milliseconds::zero())
                return;
            if (ui_.WaitForWork(left)) {
                const std::size_t before = model_->dialogue().ReplyBuffer.size();
                ui_.RunPending();
                bytesArrived_ = model_->dialogue().ReplyBuffer.size() > before;
            }
        }
    }

    void OpenPort(int baud) {
        model_->screen().PortList.SelectText(std::to_string(kModemPort));
        model_->screen().BaudList.SelectText(std::to_string(baud));
        model_->OpenPort();
        RunUntilIdle();
        ASSERT_EQ(
            model_->screen().PortStatusLine.Caption,
            "Port is open on Com " + std::to_string(kModemPort) + " at " + std::to_string(baud) + " baud");
    }

    // The firmware in the form the extension names, in a folder of its own.
    void PutFirmware(const std::string& extension, const FlashBytes& image) {
        const fs::path firmwareFolder = folder_.folder() + "firmware";
        fs::create_directories(firmwareFolder);
        fs::current_path(firmwareFolder);  // the chooser leaves the process in the file's folder
        chosen_ = "fw" + extension;
        if (extension == ".bin") {
            test_support::WriteBytes(*chosen_, image);
        } else if (extension == ".vxf") {
            test_support::WriteUploadImageFile(*chosen_, image);
        } else {
            test_support::WriteBytes(*chosen_, test_support::ToIntelHex(image));
        }
    }

    void ChooseAndPrepare() {
        model_->ChooseFile();
        RunUntilIdle();
        ASSERT_TRUE(model_->screen().RunPanel.Visible) << model_->screen().FileStatusLine.Caption;
    }

    void Upload() {
        model_->StartUpload();
        RunUntilIdle();
    }

    void ExpectComplete() {
        EXPECT_EQ(model_->screen().RunInstructionLine.Caption, "Software Upload complete")
            << model_->screen().ProgressLine.Caption;
        EXPECT_EQ(model_->screen().WarningLine.Caption, "The 410 will re-boot. Upload is complete");
        EXPECT_THAT(model_->screen().ResultLine.Caption, StartsWith("Upload complete. Time taken: "));
    }

    // The serial port the window model opened.
    const serial::SerialPort& Port() const { return *model_->session().SerialPortMade(); }

    // The whole journey: port, file, upload.
    void UploadFirmware(const std::string& extension, int baud, const FlashBytes& image) {
        OpenPort(baud);
        PutFirmware(extension, image);
        ChooseAndPrepare();
        Upload();
    }

    test_support::ProgramFolder folder_;
    fs::path previousDirectory_ = fs::current_path();
    test_support::TestUiThread ui_;
    std::unique_ptr<modemsim::ModemSimulator> modem_;
    std::unique_ptr<MainWindowModel> model_;
    std::optional<std::string> chosen_;
    std::vector<std::string> errors_;
    bool bytesArrived_ = false;  // since the last tick, the modem's bytes reached the reply buffer
};

struct InputAndRate {
    const char* extension;
    int baud;
};

class EveryInputType : public UploadEndToEnd, public ::testing::WithParamInterface<InputAndRate> {};

TEST_P(EveryInputType, TheModemsFlashHoldsExactlyTheFirmware) {
    const FlashBytes image = test_support::MakeFirmwareImage(12);
    StartModem();
    UploadFirmware(GetParam().extension, GetParam().baud, image);
    ExpectComplete();
    ASSERT_TRUE(modem_->WaitForUploads(1, kSimulatorReportGuard));
    EXPECT_TRUE(modem_->Flash() == image);
    const modemsim::UploadReport report = modem_->Reports().at(0);
    EXPECT_EQ(report.outcome, modemsim::UploadOutcome::kComplete);
    EXPECT_EQ(report.blocksStored, 12);
    EXPECT_EQ(report.badBlocks, 0);
    EXPECT_EQ(report.type, modemsim::UploadType::kBulk);
    EXPECT_TRUE(errors_.empty());
}

INSTANTIATE_TEST_SUITE_P(Inputs, EveryInputType,
                         ::testing::Values(InputAndRate{".hex", 19200}, InputAndRate{".hex", 38400},
                                           InputAndRate{".h86", 19200}, InputAndRate{".h86", 38400},
                                           InputAndRate{".mcs", 19200}, InputAndRate{".mcs", 38400},
                                           InputAndRate{".bin", 19200}, InputAndRate{".bin", 38400},
                                           InputAndRate{".vxf", 19200}, InputAndRate{".vxf", 38400}),
                         [](const auto& info) {
                             return std::string(info.param.extension + 1) + "_" +
                                    std::to_string(info.param.baud);
                         });

class FaultsOnTheLine : public UploadEndToEnd, public ::testing::WithParamInterface<LineFault> {};

TEST_P(FaultsOnTheLine, StillLeaveExactlyTheFirmwareInTheFlash) {
    const FlashBytes image = test_support::MakeFirmwareImage(8);
    modemsim::SimConfig config;
    config.faults = GetParam().faults;
    StartModem(config);
    UploadFirmware(".hex", 38400, image);
    ExpectComplete();
    ASSERT_TRUE(modem_->WaitForUploads(1, kSimulatorReportGuard));
    EXPECT_TRUE(modem_->Flash() == image);
    EXPECT_EQ(modem_->Reports().at(0).outcome, modemsim::UploadOutcome::kComplete);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultsOnTheLine,
    ::testing::Values(LineFault{"CorruptedBlocks", Faults([](auto& f) { f.corruptEvery = 3; })},
                      LineFault{"ShortForms", Faults([](auto& f) { f.shortForms = true; })},
                      LineFault{"UnknownReply", Faults([](auto& f) { f.unknownReplyAfter = 2; })},
                      LineFault{"SplitReplies", Faults([](auto& f) {
                                    f.splitReplies = 3;
                                    f.splitPause = std::chrono::milliseconds(5);
                                })},
                      LineFault{"Noise", Faults([](auto& f) { f.noiseBytes = 5; })},
                      LineFault{"EraseErrors", Faults([](auto& f) { f.eraseErrors = 3; })},
                      LineFault{"ReadyOnTheThirdRequest", Faults([](auto& f) { f.readyOnRequest = 3; })},
                      LineFault{"Everything", Faults([](auto& f) {
                                    f.corruptEvery = 4;
                                    f.shortForms = true;
                                    f.splitReplies = 4;
                                    f.splitPause = std::chrono::milliseconds(2);
                                    f.noiseBytes = 3;
                                    f.eraseErrors = 2;
                                })}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UploadEndToEnd, FailedGivesTheHaltedScreen) {
    modemsim::SimConfig config;
    config.faults.failAfter = 2;
    StartModem(config);
    UploadFirmware(".hex", 38400, test_support::MakeFirmwareImage(5));
    EXPECT_EQ(model_->screen().ProgressLine.Caption, "Upload failed");
    EXPECT_THAT(model_->screen().ResultLine.Caption, StartsWith("Upload HALTED. Time taken: "));
    EXPECT_TRUE(model_->screen().RepeatUploadButton.Visible);
    EXPECT_TRUE(model_->screen().BackToStartButton.Visible);
}

TEST_F(UploadEndToEnd, RepeatUploadSendsTheSameImageAgain) {
    const FlashBytes image = test_support::MakeFirmwareImage(6);
    StartModem();
    UploadFirmware(".mcs", 19200, image);
    ExpectComplete();
    model_->RepeatUpload();
    RunUntilIdle();
    Upload();
    ExpectComplete();
    ASSERT_TRUE(modem_->WaitForUploads(2, std::chrono::seconds(10)));
    EXPECT_EQ(modem_->Reports().at(1).outcome, modemsim::UploadOutcome::kComplete);
    EXPECT_EQ(modem_->Reports().at(1).blocksStored, 6);
    EXPECT_TRUE(modem_->Flash() == image);
}

TEST_F(UploadEndToEnd, GoBackToStartMidUploadStopsAllSending) {
    StartModem(ModemHoldingItsRequestAfter(3));
    OpenPort(38400);
    PutFirmware(".hex", test_support::MakeFirmwareImage(20));
    ChooseAndPrepare();
    model_->StartUpload();
    TickUntil([this] { return model_->dialogue().BlocksSent >= 3; });
    ASSERT_EQ(model_->dialogue().BlocksSent, 3);
    model_->GoBackToStart();
    const std::uint64_t bytesSent = Port().BytesWritten();
    for (int tick = 0; tick < 5; ++tick) {
        model_->Tick();
    }
    EXPECT_EQ(Port().BytesWritten(), bytesSent);
    ASSERT_TRUE(modem_->WaitForUploads(1, kSimulatorReportGuard));
    const modemsim::UploadReport report = modem_->Reports().at(0);
    EXPECT_EQ(report.outcome, modemsim::UploadOutcome::kHungUp);
    EXPECT_LE(report.bytesReceived, bytesSent);
    EXPECT_EQ(report.blocksStored, 3);
    EXPECT_FALSE(model_->PortOpen());
    EXPECT_TRUE(model_->screen().OpeningPanel.Visible);
}

TEST_F(UploadEndToEnd, AModemThatVanishesMidUploadIsReportedAndTheProgramGoesOn) {
    StartModem(ModemHoldingItsRequestAfter(2));
    OpenPort(38400);
    PutFirmware(".hex", test_support::MakeFirmwareImage(20));
    ChooseAndPrepare();
    model_->StartUpload();
    TickUntil([this] { return model_->dialogue().BlocksSent >= 2; });
    modem_.reset();  // the cable is pulled: the far end of the line is gone
    RunUntilIdle();
    EXPECT_EQ(model_->screen().RunInstructionLine.Caption, "Upload stopped");
    EXPECT_THAT(model_->screen().ProgressLine.Caption, HasSubstr("connection to the modem was lost"));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_THAT(errors_[0], HasSubstr("COM2"));
    EXPECT_THAT(errors_[0], HasSubstr("no longer available"));
    EXPECT_FALSE(model_->PortOpen());
    model_->GoBackToStart();
    EXPECT_TRUE(model_->screen().OpeningPanel.Visible);
}

TEST_F(UploadEndToEnd, APacedLineCarriesTheUploadAtItsRate) {
    modemsim::SimConfig config;
    config.pacing.followPort = true;
    StartModem(config);
    const FlashBytes image = test_support::MakeFirmwareImage(3);
    UploadFirmware(".bin", 38400, image);
    ExpectComplete();
    ASSERT_TRUE(modem_->WaitForUploads(1, kSimulatorReportGuard));
    EXPECT_TRUE(modem_->Flash() == image);
}

}  // namespace
}  // namespace flash410::window_model
