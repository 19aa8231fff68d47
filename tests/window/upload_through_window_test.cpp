// A service engineer's session through the window's own buttons, offscreen: choosing files in the
// chooser, the run panel, and a whole upload to the simulated modem. Screenshots of each screen are
// saved for a look.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "main_window_fixture.h"
#include "modem_sim/modem_simulator.h"
#include "support/firmware_files.h"
#include "support/linked_modem.h"
#include "window/file_chooser_dialog.h"
#include "window/gauge_widget.h"
#include "window/main_window.h"

namespace flash410::window {
namespace {

namespace fs = std::filesystem;
using test_support::FlashBytes;
using test_support::kSimulatorReportGuard;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Id = window_model::ControlId;

constexpr int kModemPort = 6;
// The chooser's file types, in the order the window gives them.
enum FileType { kVxf = 0, kBin = 1, kH86 = 2, kMcs = 3, kHex = 4 };

class UploadThroughWindow : public testing::MainWindowFixture {
  protected:
    ~UploadThroughWindow() override {
        form_.reset();
        modem_.reset();
    }

    // Lets the window run, timer ticks included, until the condition holds; the bound only keeps a
    // broken window from hanging the suite.
    template <typename Condition>
    bool RunUntil(Condition condition, int limitMs = 60000) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (!condition() && elapsed.elapsed() < limitMs) {
            QEventLoop loop;
            QTimer::singleShot(5, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return condition();
    }

    void OpenPort(int port, const char* baud) {
        Form().Control<QComboBox>(Id::kPortList)->setCurrentIndex(port - 1);
        Form().Control<QComboBox>(Id::kBaudList)->setCurrentText(baud);
        Form().Control<QPushButton>(Id::kStartButton)->click();
        ASSERT_TRUE(RunUntil([&] { return Form().Control<QPushButton>(Id::kChooseFileButton)->isVisible(); }))
            << Text(Form().Control<QLabel>(Id::kPortStatusLine));
    }
    // Picks the file in the chooser as the operator does: the type, then the file, then OK.
    void Choose(const std::string& name, FileType type) {
        Form().FileChooser->ScriptNextShowing([this, name, type](FileChooserDialog& chooser) {
            chooser.FileTypeBox->setCurrentIndex(type);
            const auto items = chooser.FileList->findItems(QString::fromStdString(name), Qt::MatchExactly);
            ASSERT_EQ(items.size(), 1) << name;
            chooser.FileList->setCurrentItem(items.front());
            if (!screenshotOfChooserTaken_) {
                Screenshot(chooser, "5-chooser");
                screenshotOfChooserTaken_ = true;
            }
            chooser.OkButton->click();
        });
        Form().Control<QPushButton>(Id::kChooseFileButton)->click();
    }
    void PutInHome(const std::string& name, const std::string& content) {
        test_support::WriteBytes(home_.folder() + name, content);
    }

    std::unique_ptr<modemsim::ModemSimulator> modem_;
    bool screenshotOfChooserTaken_ = false;
};

TEST_F(UploadThroughWindow, AHexFileIsPreparedAndTheRunPanelGivesItsSizeAndTime) {
    FlashBytes image(4u * 1024 * 1024, 0xFF);
    for (int block = 0; block < 200; ++block) image[static_cast<std::size_t>(block) * 1024] = 0x42;
    PutInHome("fw.hex", test_support::ToIntelHex(image));
    OpenPort(3, "19200");
    Choose("fw.hex", kHex);
    ASSERT_TRUE(RunUntil([&] {
        return Form().Control<QGroupBox>(Id::kRunPanel)->isVisible() &&
               Form().Control<QPushButton>(Id::kUploadButton)->isVisible() &&
               Text(Form().Control<QLabel>(Id::kFileStatusLine)).starts_with("Upload will be");
    })) << Text(Form().Control<QLabel>(Id::kPortStatusLine))
        << " / " << Text(Form().Control<QLabel>(Id::kFileStatusLine));
    EXPECT_EQ(Text(Form().Control<QLabel>(Id::kFileStatusLine)),
              "Upload will be 200 blocks, about 1.8 minutes");
    EXPECT_THAT(Text(Form().Control<QLabel>(Id::kPortStatusLine)),
                StartsWith("Data file conversion complete, chksums: "));
    EXPECT_EQ(Text(Form().Control<QLabel>(Id::kResultLine)), "Click on <Start Upload> button");
    EXPECT_TRUE(fs::exists(home_.folder() + "fw.VXF"));
    Screenshot("6-run-panel");
}

TEST_F(UploadThroughWindow, ACutReadyImageAndAMalformedHexFileAreRefused) {
    PutInHome("tiny.vxf", "12345");
    PutInHome("bad.hex", ":0400000001020304F2\r\n:04000400ZZ\r\n");
    OpenPort(3, "38400");
    Choose("tiny.vxf", kVxf);
    ASSERT_TRUE(RunUntil([&] {
        return Text(Form().Control<QLabel>(Id::kPortStatusLine)) == "The file could not be prepared.";
    }));
    EXPECT_THAT(Text(Form().Control<QLabel>(Id::kFileStatusLine)),
                HasSubstr("tiny.vxf: its 5 bytes are not whole blocks"));
    EXPECT_FALSE(Form().Control<QGroupBox>(Id::kRunPanel)->isVisible());

    Form().Control<QPushButton>(Id::kBackToStartButton)->click();
    OpenPort(3, "38400");
    Choose("bad.hex", kHex);
    ASSERT_TRUE(RunUntil([&] {
        return Text(Form().Control<QLabel>(Id::kPortStatusLine)) == "The file could not be prepared.";
    }));
    EXPECT_THAT(Text(Form().Control<QLabel>(Id::kFileStatusLine)), HasSubstr("bad.hex, line 2"));
    EXPECT_TRUE(Form()
                    .Control<QPushButton>(Id::kChooseFileButton)
                    ->isVisible());  // another file can be chosen straight away
    Screenshot("7-malformed-file");
}

TEST_F(UploadThroughWindow, AFileNameBeyondAsciiReadsBackExactlyInTheCaptions) {
    const std::string name = "Prüfung-µ.hex";
    PutInHome(name, ":0400000001020304F2\r\n:04000400ZZ\r\n");
    OpenPort(3, "38400");
    Choose(name, kHex);
    EXPECT_EQ(Text(Form().Control<QLabel>(Id::kFileStatusLine)), "Emptying binary file:  Prüfung-µ.BIN ...");
    ASSERT_TRUE(RunUntil([&] {
        return Text(Form().Control<QLabel>(Id::kPortStatusLine)) == "The file could not be prepared.";
    }));
    EXPECT_THAT(Text(Form().Control<QLabel>(Id::kFileStatusLine)), HasSubstr(name + ", line 2"));
}

TEST_F(UploadThroughWindow, AWholeUploadThroughTheButtons) {
    modemsim::SimConfig config;
    config.pacing.followPort = true;  // the timings of a real cable
    modem_ = test_support::StartModemLinkedAs(folder_, kModemPort, config);
    const FlashBytes image = test_support::MakeFirmwareImage(6);
    test_support::WriteBytes(home_.folder() + "firmware.bin", image);

    OpenPort(kModemPort, "38400");
    Choose("firmware.bin", kBin);
    ASSERT_TRUE(RunUntil(
        [&] { return Text(Form().Control<QLabel>(Id::kFileStatusLine)).starts_with("Upload will be"); }));
    Form().Control<QPushButton>(Id::kUploadButton)->click();
    ASSERT_TRUE(RunUntil(
        [&] { return Text(Form().Control<QLabel>(Id::kProgressLine)).starts_with("Sending block 3"); }));
    EXPECT_TRUE(Form().Control<GaugeWidget>(Id::kGauge)->isVisible());
    EXPECT_TRUE(Form().Control<QLabel>(Id::kWarningLine)->isVisible());
    EXPECT_EQ(Text(Form().Control<QLabel>(Id::kWarningLine)), "DO NOT INTERRUPT UPLOAD");
    Screenshot("8-uploading");
    ASSERT_TRUE(RunUntil([&] {
        return Text(Form().Control<QLabel>(Id::kRunInstructionLine)) == "Software Upload complete" &&
               Text(Form().Control<QLabel>(Id::kResultLine)).starts_with("Upload complete");
    }));
    EXPECT_EQ(Text(Form().Control<QLabel>(Id::kWarningLine)), "The 410 will re-boot. Upload is complete");
    // Six blocks at 38400 baud take about 1.6 s on the line.
    EXPECT_THAT(Text(Form().Control<QLabel>(Id::kResultLine)),
                ::testing::MatchesRegex("Upload complete\\. Time taken: [1-9][0-9]* seconds"));
    EXPECT_TRUE(Form().Control<QPushButton>(Id::kRepeatUploadButton)->isVisible());
    EXPECT_TRUE(Form().Control<QPushButton>(Id::kBackToStartButton)->isVisible());
    EXPECT_TRUE(messages_.empty());
    Screenshot("9-complete");
    ASSERT_TRUE(modem_->WaitForUploads(1, kSimulatorReportGuard));
    EXPECT_TRUE(modem_->Flash() == image);
}

// A real USB-serial adapter behind COM5, in the guest that scripts/vm-tests.sh boots, where the host pulls
// it out and puts it back when asked through a file in the folder FLASH410_VM_REQUESTS names, and udev
// tells the window. Skipped anywhere else.
class RealAdapter : public UploadThroughWindow {
  protected:
    static constexpr int kAdapterPort = 5;

    void SetUp() override {
        const char* requests = std::getenv("FLASH410_VM_REQUESTS");
        const char* serial = std::getenv("FLASH410_VM_ADAPTER_SERIAL");
        if (requests == nullptr || serial == nullptr) {
            GTEST_SKIP() << "needs the adapter of the guest that scripts/vm-tests.sh boots";
        }
        requests_ = requests;
        serial_ = serial;
    }
    // The host pulls the adapter out ("pull") or puts it back ("plug"); true once it has.
    bool AskHost(const std::string& what) {
        // Named for the test as well: a request of an earlier test is already answered.
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        const std::string request = requests_ + "/ask-" + test + "-" + std::to_string(++asked_) + "-" + what;
        std::ofstream(request).close();
        return RunUntil([&] { return fs::exists(request + ".done"); }, 10000);
    }
    std::string DeviceLine() { return Text(Form().Control<QLabel>(Id::kPortDeviceLine)); }
    bool DeviceLineNamesTheAdapter() {
        return RunUntil([&] { return DeviceLine().find("serial " + serial_) != std::string::npos; }, 10000);
    }

    std::string requests_;
    std::string serial_;
    int asked_ = 0;
};

TEST_F(RealAdapter, TheDeviceLineFollowsTheAdapterOutAndBackIn) {
    Form().Control<QComboBox>(Id::kPortList)->setCurrentIndex(kAdapterPort - 1);
    ASSERT_TRUE(DeviceLineNamesTheAdapter()) << DeviceLine();
    ASSERT_TRUE(AskHost("pull"));
    EXPECT_TRUE(RunUntil([&] { return DeviceLine() == "COM5: no device"; }, 10000)) << DeviceLine();
    ASSERT_TRUE(AskHost("plug"));
    EXPECT_TRUE(DeviceLineNamesTheAdapter()) << DeviceLine();
}

TEST_F(RealAdapter, AnUploadWhoseAdapterIsPulledOutSaysThePortWasLostAndTheWindowGoesOn) {
    test_support::WriteBytes(home_.folder() + "firmware.bin", test_support::MakeFirmwareImage(40));
    OpenPort(kAdapterPort, "38400");
    Choose("firmware.bin", kBin);
    ASSERT_TRUE(RunUntil(
        [&] { return Text(Form().Control<QLabel>(Id::kFileStatusLine)).starts_with("Upload will be"); }));
    Form().Control<QPushButton>(Id::kUploadButton)->click();
    ASSERT_TRUE(RunUntil([&] {
        return Text(Form().Control<QLabel>(Id::kProgressLine)).starts_with("Sending block 15");
    })) << Text(Form().Control<QLabel>(Id::kProgressLine));
    ASSERT_TRUE(AskHost("pull"));
    ASSERT_TRUE(RunUntil(
        [&] { return Text(Form().Control<QLabel>(Id::kRunInstructionLine)) == "Upload stopped"; }, 5000))
        << Text(Form().Control<QLabel>(Id::kProgressLine));
    EXPECT_THAT(Text(Form().Control<QLabel>(Id::kProgressLine)),
                HasSubstr("the connection to the modem was lost"));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_THAT(messages_[0], HasSubstr("COM5"));
    Screenshot("real-adapter-pulled");

    // The window goes on: back to the start, the adapter back in, and the port opens again.
    Form().Control<QPushButton>(Id::kBackToStartButton)->click();
    ASSERT_TRUE(AskHost("plug"));
    ASSERT_TRUE(DeviceLineNamesTheAdapter()) << DeviceLine();
    OpenPort(kAdapterPort, "38400");
}

}  // namespace
}  // namespace flash410::window
