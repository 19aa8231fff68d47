// The main window as the operator meets it, offscreen: start-up, opening a port through the buttons,
// a port that does not open, and going back to the start.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "main_window_fixture.h"
#include "support/pseudo_terminal.h"
#include "window/gauge_widget.h"
#include "window/help_window.h"
#include "window/main_window.h"
#include "window_model/window_layout.h"

namespace flash410::window {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using Id = window_model::ControlId;

// COM4 leads to a device that is not there.
class TheMainWindow : public testing::MainWindowFixture {
  protected:
    TheMainWindow() { folder_.Link(4, "/dev/flash410-absent-device"); }

    // Ticks until the condition holds; a generous bound only keeps a broken window from hanging.
    template <typename Condition>
    bool TickUntil(Condition condition, int ticks = 40) {
        for (int i = 0; i < ticks && !condition(); ++i) {
            Form().Tick();
        }
        return condition();
    }
    std::string ReadFile(const std::string& name) {
        std::ifstream file(folder_.folder() + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }
    void SelectPort(int port) { Form().Control<QComboBox>(Id::kPortList)->setCurrentIndex(port - 1); }
};

TEST_F(TheMainWindow, StartsOnTheOpeningPanelWithTheRememberedPort) {
    std::ofstream(folder_.folder() + "commsUP.txt") << "12,19200\r\n";
    MainWindow& form = Form();
    EXPECT_EQ(form.windowTitle().toStdString(),
              "FIRMWARE UPLOAD UTILITY FOR VARNEL FLASH-UPLOAD DEVICES  -  ZRM-410 Modems");
    EXPECT_EQ(form.width(), 800);
    EXPECT_EQ(form.height(), 600);
    EXPECT_EQ(form.Control<QComboBox>(Id::kPortList)->currentText().toStdString(), "12");
    EXPECT_EQ(form.Control<QComboBox>(Id::kPortList)->count(), 19);
    EXPECT_EQ(form.Control<QComboBox>(Id::kBaudList)->currentText().toStdString(), "38400");
    EXPECT_EQ(form.Control<QComboBox>(Id::kUploadTypeList)->currentText().toStdString(), "BULK");
    EXPECT_TRUE(form.Control<QGroupBox>(Id::kOpeningPanel)->isVisible());
    EXPECT_FALSE(form.Control<QGroupBox>(Id::kMainPanel)->isVisible());
    EXPECT_FALSE(form.Control<QPushButton>(Id::kBackToStartButton)->isVisible());
    EXPECT_TRUE(form.Timer->isActive());
    EXPECT_EQ(form.Timer->interval(), 500);
    EXPECT_EQ(Text(form.Control<QLabel>(Id::kCaptureStatusLine)), "Disabled");
    EXPECT_EQ(Text(form.Control<QLabel>(Id::kTitleLine)), "ZRM-410 Flash Upload");
    // Each port's tool tip names its device and whether it is there.
    EXPECT_EQ(form.Control<QComboBox>(Id::kPortList)->itemData(2, Qt::ToolTipRole).toString().toStdString(),
              "COM3 (" + pty_.slavePath() + "): present");
    EXPECT_EQ(form.Control<QComboBox>(Id::kPortList)->itemData(3, Qt::ToolTipRole).toString().toStdString(),
              "COM4 (/dev/flash410-absent-device): not present");
    EXPECT_TRUE(messages_.empty());
    Screenshot("1-opening");
}

TEST_F(TheMainWindow, MakesEveryControlOfTheLayoutInItsParentAtItsPlace) {
    MainWindow& form = Form();
    for (const window_model::ControlDescription& control : window_model::MainWindowControls()) {
        SCOPED_TRACE(static_cast<int>(control.Id));
        const QWidget* made = form.Control(control.Id);
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->parentWidget(), control.Parent == Id::kWindow ? &form : form.Control(control.Parent));
        const window_model::ControlPlace& place = control.Place;
        EXPECT_EQ(made->geometry(), QRect(place.Left, place.Top, place.Width, place.Height));
        switch (control.Kind) {
            case window_model::ControlKind::kLabel:
            case window_model::ControlKind::kPicture:
                EXPECT_NE(form.Control<QLabel>(control.Id), nullptr);
                break;
            case window_model::ControlKind::kButton:
                EXPECT_NE(form.Control<QPushButton>(control.Id), nullptr);
                break;
            case window_model::ControlKind::kList:
                EXPECT_EQ(form.Control<QComboBox>(control.Id)->count(),
                          static_cast<int>(control.Items.size()));
                break;
            case window_model::ControlKind::kPanel:
                EXPECT_NE(form.Control<QGroupBox>(control.Id), nullptr);
                break;
            case window_model::ControlKind::kGauge:
                EXPECT_EQ(made, form.Control<GaugeWidget>(Id::kGauge));
                break;
        }
    }
    EXPECT_EQ(form.Control<QLabel>(Id::kTitleLine)->font().pixelSize(), 32);
    EXPECT_TRUE(form.Control<QLabel>(Id::kTitleLine)->font().bold());
    EXPECT_EQ(form.Control<QLabel>(Id::kHelpButton), nullptr);
}

TEST_F(TheMainWindow, BesideThePortListALineShowsTheModelsTextOnTheDeviceBehindThePort) {
    MainWindow& form = Form();
    SelectPort(3);
    EXPECT_TRUE(form.Control<QLabel>(Id::kPortDeviceLine)->isVisible());
    EXPECT_EQ(Text(form.Control<QLabel>(Id::kPortDeviceLine)), form.model().screen().PortDeviceLine.Caption);
    EXPECT_EQ(Text(form.Control<QLabel>(Id::kPortDeviceLine)),
              "COM3: pseudo-terminal (" + pty_.slavePath() + ")");
    Screenshot("1-opening-port-device");
    // COM3 now leads to another device: opening the list looks again.
    const test_support::PseudoTerminal other;
    folder_.Link(3, other.slavePath());
    form.Control<QComboBox>(Id::kPortList)->showPopup();
    form.Control<QComboBox>(Id::kPortList)->hidePopup();
    EXPECT_EQ(Text(form.Control<QLabel>(Id::kPortDeviceLine)),
              "COM3: pseudo-terminal (" + other.slavePath() + ")");
}

TEST_F(TheMainWindow, StartUploadOpensThePortAndRemembersIt) {
    MainWindow& form = Form();
    SelectPort(3);
    form.Control<QPushButton>(Id::kStartButton)->click();
    EXPECT_TRUE(form.Control<QGroupBox>(Id::kMainPanel)->isVisible());
    EXPECT_EQ(form.Control<QGroupBox>(Id::kMainPanel)->title().toStdString(), "Main Software Upload");
    EXPECT_EQ(Text(form.Control<QLabel>(Id::kPortStatusLine)), "Opening Com Port...");
    Screenshot("2-opening-port");
    ASSERT_TRUE(
        TickUntil([&] { return Text(form.Control<QLabel>(Id::kPortStatusLine)) != "Opening Com Port..."; }));
    EXPECT_EQ(Text(form.Control<QLabel>(Id::kPortStatusLine)), "Port is open on Com 3 at 38400 baud");
    EXPECT_TRUE(form.model().PortOpen());
    EXPECT_TRUE(form.Control<QPushButton>(Id::kChooseFileButton)->isVisible());
    EXPECT_TRUE(form.Control<QPushButton>(Id::kBackToStartButton)->isVisible());
    EXPECT_EQ(ReadFile("commsUP.txt"), "3,38400\r\n");
    EXPECT_TRUE(messages_.empty());
    Screenshot("3-port-open");

    // Back to the start: the port closes and the far end sees it go.
    form.Control<QPushButton>(Id::kBackToStartButton)->click();
    EXPECT_FALSE(form.model().PortOpen());
    EXPECT_TRUE(form.Control<QGroupBox>(Id::kOpeningPanel)->isVisible());
    EXPECT_FALSE(form.Control<QGroupBox>(Id::kMainPanel)->isVisible());
    pollfd farEnd{pty_.masterFd(), POLLIN, 0};
    ASSERT_EQ(poll(&farEnd, 1, 5000), 1);
    EXPECT_NE(farEnd.revents & POLLHUP, 0);
}

TEST_F(TheMainWindow, APortThatDoesNotOpenIsReportedOnTheWindow) {
    MainWindow& form = Form();
    SelectPort(4);
    form.Control<QPushButton>(Id::kStartButton)->click();
    ASSERT_TRUE(
        TickUntil([&] { return Text(form.Control<QLabel>(Id::kPortStatusLine)) != "Opening Com Port..."; }));
    EXPECT_EQ(Text(form.Control<QLabel>(Id::kPortStatusLine)), "Port did not open on Com 4 at 38400 baud");
    EXPECT_FALSE(form.Control<QPushButton>(Id::kChooseFileButton)->isVisible());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_THAT(messages_[0], HasSubstr("COM4 (/dev/flash410-absent-device)"));
    EXPECT_THAT(messages_[0], HasSubstr("does not exist"));
    EXPECT_FALSE(fs::exists(folder_.folder() + "commsUP.txt"));
    Screenshot("4-port-did-not-open");
}

TEST_F(TheMainWindow, CaptureButtonSwitchesTheCaptureFileOnAndOff) {
    MainWindow& form = Form();
    form.Control<QPushButton>(Id::kCaptureFileButton)->click();
    EXPECT_EQ(form.Control<QPushButton>(Id::kCaptureFileButton)->text().toStdString(),
              "&Disable Capture File");
    EXPECT_EQ(Text(form.Control<QLabel>(Id::kCaptureStatusLine)), "Enabled");
    form.Tick();
    form.Control<QPushButton>(Id::kCaptureFileButton)->click();
    EXPECT_EQ(Text(form.Control<QLabel>(Id::kCaptureStatusLine)), "Disabled");
    EXPECT_THAT(ReadFile("Capture.txt"), HasSubstr("[start]\r\n"));
    EXPECT_THAT(ReadFile("Capture.txt"), HasSubstr("[pn]0\r\n"));
}

TEST_F(TheMainWindow, HelpOpensAtTheTopicOfTheScreen) {
    MainWindow& form = Form();
    form.Control<QPushButton>(Id::kHelpButton)->click();
    ASSERT_NE(form.helpWindow(), nullptr);
    EXPECT_TRUE(form.helpWindow()->isVisible());
    SelectPort(3);
    form.Control<QPushButton>(Id::kStartButton)->click();
    form.Control<QPushButton>(Id::kHelpButton)->click();
    EXPECT_EQ(form.helpWindow()->DisplayedContext(),
              0);  // no help file in this program folder: the window says so
}

TEST_F(TheMainWindow, ClosingTheWindowClosesThePortAndTheCaptureFile) {
    MainWindow& form = Form();
    form.Control<QPushButton>(Id::kCaptureFileButton)->click();
    SelectPort(3);
    form.Control<QPushButton>(Id::kStartButton)->click();
    ASSERT_TRUE(TickUntil([&] { return form.model().PortOpen(); }));
    form.Control<QPushButton>(Id::kCloseButton)->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.model().PortOpen());
    EXPECT_THAT(ReadFile("Capture.txt"), HasSubstr("[co]com port open at 38400\r\n"));
}

}  // namespace
}  // namespace flash410::window
