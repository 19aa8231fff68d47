// The main window as the tests make it, offscreen: in a program folder of its own, where COM3 leads to a
// pseudo-terminal whose far end the test plays, with a home folder for the operator's files. The texts of
// its message boxes are kept, and screenshots of what it shows are saved to look at.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_locations.h"
#include "support/program_folder.h"
#include "support/pseudo_terminal.h"
#include "support/temp_folder.h"
#include "window/main_window.h"

namespace flash410::window::testing {

class MainWindowFixture : public ::testing::Test {
  protected:
    MainWindowFixture() { folder_.Link(3, pty_.slavePath()); }

    // The window, made and shown at the first call.
    MainWindow& Form() {
        if (!form_) {
            form_ = std::make_unique<MainWindow>(
                platform::BesideProgram(folder_.folder()), home_.folder(),
                [this](QWidget*, const QString& text, bool) { messages_.push_back(text.toStdString()); });
            form_->show();
        }
        return *form_;
    }

    static std::string Text(const QLabel* label) { return label->text().toStdString(); }

    // Saves what the widget shows as <name>.png in the screenshot folder; the window when no widget is named.
    void Screenshot(QWidget& widget, const std::string& name) {
        QDir().mkpath(SCREENSHOT_DIR);
        widget.grab().save(QString::fromStdString(std::string(SCREENSHOT_DIR) + "/" + name + ".png"));
    }
    void Screenshot(const std::string& name) { Screenshot(Form(), name); }

    test_support::PseudoTerminal pty_;
    test_support::ProgramFolder folder_;
    test_support::TempFolder home_{"home"};
    std::vector<std::string> messages_;
    std::unique_ptr<MainWindow> form_;
};

}  // namespace flash410::window::testing
