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

#include "support/current_directory_keeper.h"
#include "support/program_folder.h"
#include "support/pseudo_terminal.h"
#include "window/help_window.h"
#include "window/main_window.h"

namespace uflash8 {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class MainWindow : public ::testing::Test {
  protected:
    MainWindow() {
        folder_.Link(3, pty_.slavePath());
        folder_.Link(4, "/dev/flash410-absent-device");
    }

    TForm1& Form() {
        if (!form_) {
            form_ = std::make_unique<TForm1>(
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
    void SelectPort(int port) { Form().CommPortBox->setCurrentIndex(port - 1); }

    flash410::testing::CurrentDirectoryKeeper keeper_;
    flash410::testing::PseudoTerminal pty_;
    flash410::testing::ProgramFolder folder_;
    flash410::testing::TempFolder home_{"home"};
    std::vector<std::string> messages_;
    std::unique_ptr<TForm1> form_;
};

TEST_F(MainWindow, StartsOnTheOpeningPanelWithTheRememberedPort) {
    std::ofstream(folder_.folder() + "commsUP.txt") << "12,19200\r\n";
    TForm1& form = Form();
    EXPECT_EQ(form.windowTitle().toStdString(),
              "FIRMWARE UPLOAD UTILITY FOR VARNEL FLASH-UPLOAD DEVICES  -  ZRM-410 Modems");
    EXPECT_EQ(form.width(), 800);
    EXPECT_EQ(form.height(), 600);
    EXPECT_EQ(form.CommPortBox->currentText().toStdString(), "12");
    EXPECT_EQ(form.CommPortBox->count(), 19);
    EXPECT_EQ(form.BaudRateBox->currentText().toStdString(), "38400");
    EXPECT_EQ(form.Up_type->currentText().toStdString(), "BULK");
    EXPECT_TRUE(form.OpeningBox->isVisible());
    EXPECT_FALSE(form.MainBox->isVisible());
    EXPECT_FALSE(form.BtnBackToStart->isVisible());
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 500);
    EXPECT_EQ(Text(form.Label11), "Disabled");
    EXPECT_EQ(Text(form.Label5), "ZRM-410 Flash Upload");
    // Each port's tool tip names its device and whether it is there.
    EXPECT_EQ(form.CommPortBox->itemData(2, Qt::ToolTipRole).toString().toStdString(),
              "COM3 (" + pty_.slavePath() + "): present");
    EXPECT_EQ(form.CommPortBox->itemData(3, Qt::ToolTipRole).toString().toStdString(),
              "COM4 (/dev/flash410-absent-device): not present");
    EXPECT_TRUE(messages_.empty());
    Screenshot("1-opening");
}

TEST_F(MainWindow, StartUploadOpensThePortAndRemembersIt) {
    TForm1& form = Form();
    SelectPort(3);
    form.Btn2Upload->click();
    EXPECT_TRUE(form.MainBox->isVisible());
    EXPECT_EQ(form.MainBox->title().toStdString(), "Main Software Upload");
    EXPECT_EQ(Text(form.Label12), "Opening Com Port...");
    Screenshot("2-opening-port");
    ASSERT_TRUE(TickUntil([&] { return Text(form.Label12) != "Opening Com Port..."; }));
    EXPECT_EQ(Text(form.Label12), "Port is open on Com 3 at 38400 baud");
    EXPECT_TRUE(form.serial().Active());
    EXPECT_TRUE(form.BtnChooseFile->isVisible());
    EXPECT_TRUE(form.BtnBackToStart->isVisible());
    EXPECT_EQ(ReadFile("commsUP.txt"), "3,38400\r\n");
    EXPECT_TRUE(messages_.empty());
    Screenshot("3-port-open");

    // Back to the start: the port closes and the far end sees it go.
    form.BtnBackToStart->click();
    EXPECT_FALSE(form.serial().Active());
    EXPECT_TRUE(form.OpeningBox->isVisible());
    EXPECT_FALSE(form.MainBox->isVisible());
    pollfd farEnd{pty_.masterFd(), POLLIN, 0};
    ASSERT_EQ(poll(&farEnd, 1, 5000), 1);
    EXPECT_NE(farEnd.revents & POLLHUP, 0);
}

TEST_F(MainWindow, APortThatDoesNotOpenIsReportedOnTheWindow) {
    TForm1& form = Form();
    SelectPort(4);
    form.Btn2Upload->click();
    ASSERT_TRUE(TickUntil([&] { return Text(form.Label12) != "Opening Com Port..."; }));
    EXPECT_EQ(Text(form.Label12), "Port did not open on Com 4 at 38400 baud");
    EXPECT_FALSE(form.BtnChooseFile->isVisible());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_THAT(messages_[0], HasSubstr("COM4 (/dev/flash410-absent-device)"));
    EXPECT_THAT(messages_[0], HasSubstr("does not exist"));
    EXPECT_FALSE(fs::exists(folder_.folder() + "commsUP.txt"));
    Screenshot("4-port-did-not-open");
}

TEST_F(MainWindow, CaptureButtonSwitchesTheCaptureFileOnAndOff) {
    TForm1& form = Form();
    form.BtnCaptureFile->click();
    EXPECT_EQ(form.BtnCaptureFile->text().toStdString(), "&Disable Capture File");
    EXPECT_EQ(Text(form.Label11), "Enabled");
    form.Tick();
    form.BtnCaptureFile->click();
    EXPECT_EQ(Text(form.Label11), "Disabled");
    EXPECT_THAT(ReadFile("Capture.txt"), HasSubstr("[start]\r\n"));
    EXPECT_THAT(ReadFile("Capture.txt"), HasSubstr("[pn]0\r\n"));
}

TEST_F(MainWindow, HelpOpensAtTheTopicOfTheScreen) {
    TForm1& form = Form();
    form.BtnHelp->click();
    ASSERT_NE(form.helpWindow(), nullptr);
    EXPECT_TRUE(form.helpWindow()->isVisible());
    SelectPort(3);
    form.Btn2Upload->click();
    form.BtnHelp->click();
    EXPECT_EQ(form.helpWindow()->DisplayedContext(),
              0);  // no help file in this program folder: the window says so
}

TEST_F(MainWindow, ClosingTheWindowClosesThePortAndTheCaptureFile) {
    TForm1& form = Form();
    form.BtnCaptureFile->click();
    SelectPort(3);
    form.Btn2Upload->click();
    ASSERT_TRUE(TickUntil([&] { return form.serial().Active(); }));
    form.BtnClose->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.serial().Active());
    EXPECT_THAT(ReadFile("Capture.txt"), HasSubstr("[co]com port open at 38400\r\n"));
}

}  // namespace
}  // namespace uflash8
