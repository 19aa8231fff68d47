// The window program as it starts, placed by the tests where an installed or a copied program would be,
// and driven there: capture on, the port given as the first argument opened, Help, Close. It prints
// where its files went and what the operator would have seen, one "key: value" line each.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <iostream>
#include <string>
#include <vector>

#include "window/application_names.h"
#include "window/help_window.h"
#include "window/main_window.h"
#include "window/window_files.h"

using Id = flash410::window_model::ControlId;

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    flash410::window::NameTheApplication();
    std::cout << "desktop entry: " << QGuiApplication::desktopFileName().toStdString() << ".desktop\n";
    const int port = argc > 1 ? std::stoi(argv[1]) : 1;

    flash410::window::WindowFiles located = flash410::window::LocateWindowFiles();
    std::cout << "installed: " << (located.files.installed ? "yes" : "no") << '\n';
    std::vector<std::string> messages;
    flash410::window::MainWindow form(
        std::move(located.files), std::move(located.homeFolder),
        [&messages](QWidget*, const QString& text, bool) { messages.push_back(text.toStdString()); });
    form.show();

    form.Control<QPushButton>(Id::kCaptureFileButton)->click();
    std::cout << "capture: " << form.Control<QLabel>(Id::kCaptureStatusLine)->text().toStdString() << '\n';
    form.Control<QComboBox>(Id::kPortList)->setCurrentIndex(port - 1);
    form.Control<QPushButton>(Id::kStartButton)->click();
    // A bounded number of ticks: the port answers within a few, and a broken window must not hang.
    for (int tick = 0;
         tick < 40 && form.Control<QLabel>(Id::kPortStatusLine)->text() == "Opening Com Port..."; ++tick) {
        form.Tick();
    }
    std::cout << "port: " << form.Control<QLabel>(Id::kPortStatusLine)->text().toStdString() << '\n';
    form.Control<QPushButton>(Id::kHelpButton)->click();
    std::cout << "help topic shown: " << (form.helpWindow() ? form.helpWindow()->DisplayedContext() : 0)
              << '\n';
    form.Control<QPushButton>(Id::kCloseButton)->click();
    for (const std::string& message : messages) {
        std::cout << "message: " << message << '\n';
    }
    return 0;
}
