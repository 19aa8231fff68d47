// Flash410: the window program.
#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "platform/standard_streams.h"
#include "platform/stop_signal_watcher.h"
#include "window/application_names.h"
#include "window/main_window.h"
#include "window/stop_signal_notifier.h"
#include "window/window_files.h"
#include "window/window_options.h"

int main(int argc, char* argv[]) {
    flash410::platform::SecureStandardStreams();
    // Answered before the window toolkit starts, so that they work without a display.
    if (const auto status = flash410::window::AnswerInformationOption(
            std::vector<std::string>(argv + 1, argv + argc), std::cout)) {
        return *status;
    }
    // Blocked before any thread starts, so that every thread leaves them to the watcher below.
    flash410::platform::BlockStopSignals();
    QApplication application(argc, argv);
    flash410::window::NameTheApplication();

    flash410::window::WindowFiles located = flash410::window::LocateWindowFiles();
    flash410::window::MainWindow window(std::move(located.files), std::move(located.homeFolder));
    // SIGTERM, SIGINT and SIGHUP close the window as its Close button would: the port closes, the capture
    // file reaches the disk.
    const flash410::window::StopSignalNotifier stopSignals([&window] { window.close(); });
    window.show();
    return application.exec();
}
