// The window model, tick by tick, with a fake line and a fake clock: start-up, the port-opening states, the
// buttons' logic and what reaches the capture file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "support/fake_serial_line.h"
#include "support/file_size_limit.h"
#include "support/temp_folder.h"
#include "window_model/main_window_model.h"

namespace flash410::window_model {
namespace {

namespace fs = std::filesystem;
using test_support::FakeSerialLine;
using ::testing::HasSubstr;

class MainWindowModelTest : public ::testing::Test {
  protected:
    test_support::TempFolder temp_{"model"};  // declared first, so it is removed last
    MainWindowModelTest() { folder_ = temp_.folder(); }
    ~MainWindowModelTest() override { model_.reset(); }

    MainWindowModel& Model() {
        if (!model_) {
            model_ = std::make_unique<MainWindowModel>(WindowModelEnvironment{
                .processPendingEvents =
                    [this] {
                        if (pendingEvent_)
                            std::exchange(pendingEvent_, nullptr)();
                    },
                .clock = [this] { return clockSeconds_; },
                .files = flash410::platform::BesideProgram(folder_),
                .chooseFile =
                    [this](const std::string& filter) {
                        chooserFilter_ = filter;
                        return std::exchange(nextChoice_, std::nullopt);
                    },
                .listPorts =
                    [this] {
                        ++inventoryLooks_;
                        return inventory_;
                    },
                .testLine = &line_,
            });
            model_->Activate();
        }
        return *model_;
    }
    WindowState& State() { return Model().state(); }
    const upload::DialogueState& Dialogue() { return Model().dialogue(); }
    ScreenState& Screen() { return Model().screen(); }

    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) Model().Tick();
    }
    std::string ReadFile(const std::string& name) {
        std::ifstream file(folder_ + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }
    void WriteFile(const std::string& name, const std::string& content) {
        std::ofstream(folder_ + name, std::ios::binary) << content;
    }

    std::string folder_;
    // A made-up machine's serial ports, as the lister would give them, and how often they were listed.
    std::vector<serial::PortDescription> inventory_;
    int inventoryLooks_ = 0;
    FakeSerialLine line_;
    double clockSeconds_ = 12 * 3600.0;
    std::function<void()> pendingEvent_;
    std::optional<std::string> nextChoice_;  // what the file chooser returns next; nothing is Cancel
    std::string chooserFilter_;
    std::unique_ptr<MainWindowModel> model_;
};

TEST_F(MainWindowModelTest, StartUpShowsTheOpeningPanelWithBulkAnd38400AndStartsTheTimer) {
    const ScreenState& s = Screen();
    EXPECT_EQ(s.UploadTypeList.Text(), "BULK");
    EXPECT_EQ(s.BaudList.Text(), "38400");
    EXPECT_EQ(s.PortList.Text(), "1");
    EXPECT_EQ(s.PortList.Items.size(), 19u);
    EXPECT_EQ(s.PortList.Items.back(), "19");
    EXPECT_TRUE(s.OpeningPanel.Visible);
    EXPECT_FALSE(s.MainPanel.Visible);
    EXPECT_FALSE(s.RunPanel.Visible);
    EXPECT_TRUE(s.Timer.Enabled);
    EXPECT_EQ(s.Timer.IntervalMs, 500);
    EXPECT_EQ(State().HelpTopic, 1);
    EXPECT_EQ(State().Preparation, PreparationStep::kIdle);
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kIdle);
    EXPECT_EQ(State().ProgramFolder, folder_);
    EXPECT_EQ(s.PortStatusLine.Color, TextColor::kBlue);
    EXPECT_EQ(s.CaptureStatusLine.Caption, "Disabled");
    EXPECT_EQ(s.CaptureFileButton.Caption, "&Enable Capture File");
    EXPECT_FALSE(Model().CaptureEnabled());
    EXPECT_TRUE(s.Messages.empty());
}

TEST_F(MainWindowModelTest, StartUploadSwitchesToTheMainPanelAndOpensThePortOnTheNextTicks) {
    WriteFile("commsUP.txt", "7,19200\r\n");
    Screen().BaudList.ItemIndex = 0;
    Model().OpenPort();
    EXPECT_EQ(Dialogue().UploadBaud, 19200);
    EXPECT_EQ(Screen().PortStatusLine.Caption, "Opening Com Port...");
    EXPECT_TRUE(Screen().MainPanel.Visible);
    EXPECT_EQ(Screen().MainPanel.Caption, "Main Software Upload");
    EXPECT_FALSE(Screen().OpeningPanel.Visible);
    EXPECT_TRUE(Screen().BackToStartButton.Visible);
    EXPECT_EQ(State().HelpTopic, 3);
    EXPECT_EQ(Screen().ChooserFilter,
              "Varnel Upload (.vxf)|*.vxf|Binary (.bin)|*.bin|Intel HEX (.h86)|*.h86|Intel HEX (.mcs)|*.mcs|"
              "Intel HEX (.hex)|*.hex|");
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kOpenPort);

    Tick();  // opening: configure and open
    EXPECT_EQ(line_.Port(), 7);
    EXPECT_EQ(line_.Baudrate(), 19200);
    EXPECT_EQ(line_.openRequests, 1);
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kPollPortOpen);
    Tick();  // polling: an open port is seen on the first look
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kReportPort);
    EXPECT_EQ(Dialogue().PortOpenPolls, 1);
    Tick();  // the report
    EXPECT_EQ(Screen().PortStatusLine.Caption, "Port is open on Com 7 at 19200 baud");
    EXPECT_TRUE(Screen().ChooseFileButton.Visible);
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kIdle);
}

TEST_F(MainWindowModelTest, APortThatNeverOpensIsReportedOnTheTwentiethLook) {
    line_.opens = false;
    Screen().PortList.SelectText("4");
    Model().OpenPort();
    Tick();    // opening
    Tick(19);  // nineteen looks while polling
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kPollPortOpen);
    Tick();  // the twentieth
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kReportPort);
    Tick();
    EXPECT_EQ(Screen().PortStatusLine.Caption, "Port did not open on Com 4 at 38400 baud");
    EXPECT_FALSE(Screen().ChooseFileButton.Visible);
    EXPECT_FALSE(fs::exists(folder_ + "commsUP.txt"));  // a port that failed is never remembered
}

TEST_F(MainWindowModelTest, TheOpenedPortIsRememberedOnlyWhenItDiffersFromTheOneReadAtStartUp) {
    WriteFile("commsUP.txt", "3,19200\r\n");
    Model().OpenPort();
    Tick(3);
    EXPECT_EQ(ReadFile("commsUP.txt"), "3,19200\r\n");  // same port, another baud rate: left alone
    Model().GoBackToStart();
    Screen().PortList.SelectText("5");
    Model().OpenPort();
    Tick(3);
    EXPECT_EQ(ReadFile("commsUP.txt"), "5,38400\r\n");
    // A new run reads it back.
    model_.reset();
    EXPECT_EQ(Screen().PortList.Text(), "5");
}

TEST_F(MainWindowModelTest, WithoutASelectedPortStartUploadAsksForOneAndOpensNothing) {
    WriteFile("commsUP.txt", "99,38400\r\n");
    EXPECT_EQ(Screen().PortList.ItemIndex, -1);
    Model().OpenPort();
    ASSERT_EQ(Screen().Messages.size(), 1u);
    EXPECT_THAT(Screen().Messages[0], HasSubstr("select the Com Port"));
    EXPECT_TRUE(Screen().OpeningPanel.Visible);
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kIdle);
    Tick(3);
    EXPECT_EQ(line_.openRequests, 0);
}

// An FTDI adapter that is COM5.
serial::PortDescription Ftdi(int comNumber) {
    return {comNumber,
            "/dev/ttyUSB0",
            serial::PortKind::kUsbAdapter,
            serial::UsbIdentity{"0403", "6001", "FTDI", "FT232R USB UART", "A50285BI", "ftdi_sio", 16},
            {},
            {}};
}

TEST_F(MainWindowModelTest, ThePortDeviceLineShowsTheAdapterBehindTheChosenPortOrThatThereIsNone) {
    inventory_ = {Ftdi(5)};
    WriteFile("commsUP.txt", "5,38400\r\n");
    EXPECT_EQ(Screen().PortDeviceLine.Caption, "COM5: FT232R USB UART, serial A50285BI");
    EXPECT_EQ(Screen().PortDeviceLine.Color, TextColor::kBlue);
    EXPECT_TRUE(Screen().PortDeviceLine.Visible);
    Model().ChoosePort(2);
    EXPECT_EQ(Screen().PortList.Text(), "3");
    EXPECT_EQ(Screen().PortDeviceLine.Caption, "COM3: no device");
    EXPECT_EQ(Screen().PortDeviceLine.Color, TextColor::kRed);
    Model().ChoosePort(-1);
    EXPECT_EQ(Screen().PortDeviceLine.Caption, "");
}

TEST_F(MainWindowModelTest, ThePortDeviceLineIsLookedUpAgainWhenAdaptersComeOrGoAndWhenTheListOpens) {
    inventory_ = {Ftdi(1)};
    EXPECT_EQ(Screen().PortDeviceLine.Caption, "COM1: FT232R USB UART, serial A50285BI");
    inventory_.clear();
    Tick(3);  // ticks leave the line as it is: it is looked up only when something says so
    EXPECT_EQ(Screen().PortDeviceLine.Caption, "COM1: FT232R USB UART, serial A50285BI");
    Model().AdaptersChanged();
    EXPECT_EQ(Screen().PortDeviceLine.Caption, "COM1: no device");
    inventory_ = {Ftdi(1)};
    Model().PortListOpened();
    EXPECT_EQ(Screen().PortDeviceLine.Caption, "COM1: FT232R USB UART, serial A50285BI");
    // Back from the main panel, the opening panel shows what is there now.
    Model().OpenPort();
    inventory_.clear();
    Model().GoBackToStart();
    EXPECT_EQ(Screen().PortDeviceLine.Caption, "COM1: no device");
}

TEST_F(MainWindowModelTest, WithoutAChosenPortNoPortsAreListed) {
    WriteFile("commsUP.txt", "99,38400\r\n");
    EXPECT_EQ(Screen().PortDeviceLine.Caption, "");
    Model().AdaptersChanged();
    Model().PortListOpened();
    EXPECT_EQ(inventoryLooks_, 0);
}

TEST_F(MainWindowModelTest, AnUnwritableSettingsFileIsReportedOnceAndTheProgramGoesOn) {
    fs::create_directory(folder_ + "commsUP.txt");
    ASSERT_EQ(Screen().Messages.size(), 1u);  // reading it at start-up
    Screen().Messages.clear();
    Screen().PortList.SelectText("2");
    Model().OpenPort();
    Tick(3);
    EXPECT_EQ(Screen().PortStatusLine.Caption, "Port is open on Com 2 at 38400 baud");
    EXPECT_TRUE(Screen().Messages.empty());  // already said once
}

TEST_F(MainWindowModelTest, GoBackToStartClosesThePortAndStopsTheSequence) {
    Model().OpenPort();
    Tick(2);
    line_.incoming = "pending";
    Model().ReadMessage();
    Model().GoBackToStart();
    EXPECT_FALSE(line_.Active());
    EXPECT_EQ(State().Preparation, PreparationStep::kIdle);
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kIdle);
    EXPECT_EQ(Dialogue().ReplyBuffer, "");
    EXPECT_EQ(State().HelpTopic, 1);
    EXPECT_TRUE(Screen().OpeningPanel.Visible);
    EXPECT_FALSE(Screen().MainPanel.Visible);
    EXPECT_FALSE(Screen().BackToStartButton.Visible);
    EXPECT_FALSE(Screen().ChooseFileButton.Visible);
    Tick(5);
    EXPECT_EQ(line_.openRequests, 1);
}

TEST_F(MainWindowModelTest, PendingEventsAreHandledBeforeTheStepOfTheTick) {
    Model();
    pendingEvent_ = [this] { model_->OpenPort(); };  // a click queued up between ticks
    Tick();
    EXPECT_EQ(line_.openRequests, 1);  // the opening ran in the same tick
    EXPECT_EQ(Dialogue().Step, upload::DialogueStep::kPollPortOpen);
}

TEST_F(MainWindowModelTest, UnknownStatesDoNothing) {
    // Numbers no step has, as a damaged or hand-edited state might hold.
    for (std::int32_t number : {1, 3, 11, 43, 100, 5000, -3}) {
        const auto unnamed = static_cast<PreparationStep>(number);
        State().Preparation = unnamed;
        Tick();
        EXPECT_EQ(State().Preparation, unnamed);
    }
    EXPECT_TRUE(line_.sent.empty());
    EXPECT_EQ(line_.openRequests, 0);
}

TEST_F(MainWindowModelTest, HelpAndCloseAreRequestsToTheWindow) {
    Model().ShowHelp();
    EXPECT_EQ(Screen().ShowHelpTopic, 1);
    Model().OpenPort();
    Model().ShowHelp();
    EXPECT_EQ(Screen().ShowHelpTopic, 3);
    Model().Close();
    EXPECT_TRUE(Screen().CloseWindow);
}

// ---- The capture file ---------------------------------------------------------------------------

TEST_F(MainWindowModelTest, CaptureRecordsStatesTheOpeningCommandsAndReplies) {
    clockSeconds_ = 14 * 3600 + 3 * 60 + 7.25;
    Model().ToggleCapture();
    EXPECT_TRUE(Model().CaptureEnabled());
    EXPECT_EQ(Screen().CaptureFileButton.Caption, "&Disable Capture File");
    EXPECT_EQ(Screen().CaptureStatusLine.Caption, "Enabled");
    Tick(3);  // idle: one step line, not three
    Model().OpenPort();
    Tick(3);
    line_.incoming = "READY\r\n";
    Model().ReadMessage();
    Model().ToggleCapture();
    EXPECT_EQ(Screen().CaptureStatusLine.Caption, "Disabled");
    EXPECT_EQ(ReadFile("Capture.txt"),
              "[start]\r\n"
              "14:03:07:250[pn]0\r\n"
              "14:03:07:250[pn]5\r\n"
              "14:03:07:250[co]com port open at 38400\r\n"
              "14:03:07:250[pn]6\r\n"
              "14:03:07:250[pn]10\r\n"
              "14:03:07:250[in]READY[cr][lf]\r\n");
}

TEST_F(MainWindowModelTest, ACaptureFileThatCannotBeOpenedIsReportedAndCaptureStaysOff) {
    fs::create_directory(folder_ + "Capture.txt");
    Model().ToggleCapture();
    EXPECT_FALSE(Model().CaptureEnabled());
    ASSERT_EQ(Screen().Messages.size(), 1u);
    EXPECT_THAT(Screen().Messages[0], HasSubstr("Capture.txt"));
    EXPECT_EQ(Screen().CaptureStatusLine.Caption, "Disabled");
    Tick(2);  // the sequencer goes on
}

TEST_F(MainWindowModelTest, ACaptureFileThatCannotBeWrittenOutAtCloseIsReportedAndTheWindowStillCloses) {
    // No room at all: the buffered lines first meet the full disk when Close writes them out.
    const test_support::LimitedRun run = test_support::RunWithFileSizeLimit(0, [&](std::string& report) {
        Model().ToggleCapture();
        if (!Model().CaptureEnabled()) {
            report = "capture did not switch on";
            return 1;
        }
        Tick(2);
        Model().Close();
        if (!Screen().CloseWindow || Screen().Messages.size() != 1) {
            report = "the window stays or says " + std::to_string(Screen().Messages.size()) + " things";
            return 2;
        }
        report = Screen().Messages[0];
        return 0;
    });
    ASSERT_EQ(run.Status, 0) << run.Report;
    EXPECT_THAT(run.Report, HasSubstr("Capture.txt"));
    EXPECT_THAT(run.Report, HasSubstr("File too large"));
}

TEST_F(MainWindowModelTest, ClosingTheWindowFlushesTheCaptureFileAndClosesThePort) {
    Model().ToggleCapture();
    Model().OpenPort();
    Tick(3);
    Model().WindowClosing();
    EXPECT_FALSE(line_.Active());
    EXPECT_THAT(ReadFile("Capture.txt"), HasSubstr("[pn]10\r\n"));
}

}  // namespace
}  // namespace flash410::window_model
