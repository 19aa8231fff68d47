// The main window as the operator meets it, offscreen: start-up, opening a port through the buttons,
// a port that does not open, and going back to the start.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/program_folder.h"
#include "support/pseudo_terminal.h"
#include "window/help_window.h"
#include "window/main_window.h"

namespace flash410::window {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class TheMainWindow : public ::testing::Test {
  protected:
    TheMainWindow() {
        folder_.Link(3, pty_.slavePath());
        folder_.Link(4, "/dev/flash410-absent-device");
    }

    MainWindow& Form() {
        if (!form_) {
            form_ = std::make_unique<MainWindow>(
                flash410::BesideProgram(folder_.folder()), home_.folder(),
                [this](QWidget*, const QString& text, bool) { messages_.push_back(text.toStdString()); });
            form_->show();
        }
        return *form_;
    }
    // Ticks until the condition holds; a generous bound only keeps a broken window from hanging.
    template <typename Condition>
    bool TickUntil(Condition condition, int ticks = 40) {
        for (int i = 0; i < ticks && !condition(); ++i) {
            Form().Tick();
        }
        return condition();
    }
    std::string Text(QLabel* label) { return label->text().toStdString(); }
    void Screenshot(const std::string& name) {
        QDir().mkpath(SCREENSHOT_DIR);
        Form().grab().save(QString::fromStdString(std::string(SCREENSHOT_DIR) + "/" + name + ".png"));
    }
    std::string ReadFile(const std::string& name) {
        std::ifstream file(folder_.folder() + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }
    void SelectPort(int port) { Form().PortList->setCurrentIndex(port - 1); }

    test_support::PseudoTerminal pty_;
    test_support::ProgramFolder folder_;
    test_support::TempFolder home_{"home"};
    std::vector<std::string> messages_;
    std::unique_ptr<MainWindow> form_;
};

TEST_F(TheMainWindow, StartsOnTheOpeningPanelWithTheRememberedPort) {
    std::ofstream(folder_.folder() + "commsUP.txt") << "12,19200\r\n";
    MainWindow& form = Form();
    EXPECT_EQ(form.windowTitle().toStdString(),
              "FIRMWARE UPLOAD UTILITY FOR VARNEL FLASH-UPLOAD DEVICES  -  ZRM-410 Modems");
    EXPECT_EQ(form.width(), 800);
    EXPECT_EQ(form.height(), 600);
    EXPECT_EQ(form.PortList->currentText().toStdString(), "12");
    EXPECT_EQ(form.PortList->count(), 19);
    EXPECT_EQ(form.BaudList->currentText().toStdString(), "38400");
    EXPECT_EQ(form.UploadTypeList->currentText().toStdString(), "BULK");
    EXPECT_TRUE(form.OpeningPanel->isVisible());
    EXPECT_FALSE(form.MainPanel->isVisible());
    EXPECT_FALSE(form.BackToStartButton->isVisible());
    EXPECT_TRUE(form.Timer->isActive());
    EXPECT_EQ(form.Timer->interval(), 500);
    EXPECT_EQ(Text(form.CaptureStatusLine), "Disabled");
    EXPECT_EQ(Text(form.TitleLine), "ZRM-410 Flash Upload");
    // Each port's tool tip names its device and whether it is there.
    EXPECT_EQ(form.PortList->itemData(2, Qt::ToolTipRole).toString().toStdString(),
              "COM3 (" + pty_.slavePath() + "): present");
    EXPECT_EQ(form.PortList->itemData(3, Qt::ToolTipRole).toString().toStdString(),
              "COM4 (/dev/flash410-absent-device): not present");
    EXPECT_TRUE(messages_.empty());
    Screenshot("1-opening");
}

TEST_F(TheMainWindow, BesideThePortListALineShowsTheModelsTextOnTheDeviceBehindThePort) {
    MainWindow& form = Form();
    SelectPort(3);
    EXPECT_TRUE(form.PortDeviceLine->isVisible());
    EXPECT_EQ(Text(form.PortDeviceLine), form.core().screen().PortDeviceLine.Caption);
    EXPECT_EQ(Text(form.PortDeviceLine), "COM3: pseudo-terminal (" + pty_.slavePath() + ")");
    Screenshot("1-opening-port-device");
    // COM3 now leads to another device: opening the list looks again.
    const test_support::PseudoTerminal other;
    folder_.Link(3, other.slavePath());
    form.PortList->showPopup();
    form.PortList->hidePopup();
    EXPECT_EQ(Text(form.PortDeviceLine), "COM3: pseudo-terminal (" + other.slavePath() + ")");
}

TEST_F(TheMainWindow, StartUploadOpensThePortAndRemembersIt) {
    MainWindow& form = Form();
    SelectPort(3);
    form.StartButton->click();
    EXPECT_TRUE(form.MainPanel->isVisible());
    EXPECT_EQ(form.MainPanel->title().toStdString(), "Main Software Upload");
    EXPECT_EQ(Text(form.PortStatusLine), "Opening Com Port...");
    Screenshot("2-opening-port");
    ASSERT_TRUE(TickUntil([&] { return Text(form.PortStatusLine) != "Opening Com Port..."; }));
    EXPECT_EQ(Text(form.PortStatusLine), "Port is open on Com 3 at 38400 baud");
    EXPECT_TRUE(form.core().PortOpen());
    EXPECT_TRUE(form.ChooseFileButton->isVisible());
    EXPECT_TRUE(form.BackToStartButton->isVisible());
    EXPECT_EQ(ReadFile("commsUP.txt"), "3,38400\r\n");
    EXPECT_TRUE(messages_.empty());
    Screenshot("3-port-open");

    // Back to the start: the port closes and the far end sees it go.
    form.BackToStartButton->click();
    EXPECT_FALSE(form.core().PortOpen());
    EXPECT_TRUE(form.OpeningPanel->isVisible());
    EXPECT_FALSE(form.MainPanel->isVisible());
    pollfd farEnd{pty_.masterFd(), POLLIN, 0};
    ASSERT_EQ(poll(&farEnd, 1, 5000), 1);
    EXPECT_NE(farEnd.revents & POLLHUP, 0);
}

TEST_F(TheMainWindow, APortThatDoesNotOpenIsReportedOnTheWindow) {
    MainWindow& form = Form();
    SelectPort(4);
    form.StartButton->click();
    ASSERT_TRUE(TickUntil([&] { return Text(form.PortStatusLine) != "Opening Com Port..."; }));
    EXPECT_EQ(Text(form.PortStatusLine), "Port did not open on Com 4 at 38400 baud");
    EXPECT_FALSE(form.ChooseFileButton->isVisible());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_THAT(messages_[0], HasSubstr("COM4 (/dev/flash410-absent-device)"));
    EXPECT_THAT(messages_[0], HasSubstr("does not exist"));
    EXPECT_FALSE(fs::exists(folder_.folder() + "commsUP.txt"));
    Screenshot("4-port-did-not-open");
}

TEST_F(TheMainWindow, CaptureButtonSwitchesTheCaptureFileOnAndOff) {
    MainWindow& form = Form();
    form.CaptureFileButton->click();
    EXPECT_EQ(form.CaptureFileButton->text().toStdString(), "&Disable Capture File");
    EXPECT_EQ(Text(form.CaptureStatusLine), "Enabled");
    form.Tick();
    form.CaptureFileButton->click();
    EXPECT_EQ(Text(form.CaptureStatusLine), "Disabled");
    EXPECT_THAT(ReadFile("Capture.txt"), HasSubstr("[start]\r\n"));
    EXPECT_THAT(ReadFile("Capture.txt"), HasSubstr("[pn]0\r\n"));
}

TEST_F(TheMainWindow, HelpOpensAtTheTopicOfTheScreen) {
    MainWindow& form = Form();
    form.HelpButton->click();
    ASSERT_NE(form.helpWindow(), nullptr);
    EXPECT_TRUE(form.helpWindow()->isVisible());
    SelectPort(3);
    form.StartButton->click();
    form.HelpButton->click();
    EXPECT_EQ(form.helpWindow()->DisplayedContext(),
              0);  // no help file in this program folder: the window says so
}

TEST_F(TheMainWindow, ClosingTheWindowClosesThePortAndTheCaptureFile) {
    MainWindow& form = Form();
    form.CaptureFileButton->click();
    SelectPort(3);
    form.StartButton->click();
    ASSERT_TRUE(TickUntil([&] { return form.core().PortOpen(); }));
    form.CloseButton->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.core().PortOpen());
    EXPECT_THAT(ReadFile("Capture.txt"), HasSubstr("[co]com port open at 38400\r\n"));
}

}  // namespace
}  // namespace flash410::window
