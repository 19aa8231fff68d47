// Flash410: the window program.
#include <QApplication>
#include <QMessageBox>

#include "home_folder.h"
#include "main_window.h"
#include "termination_signals.h"

int main(int argc, char* argv[]) {
    // Blocked before any thread starts, so that every thread leaves them to the watcher below.
    flash410::BlockTerminationSignals();
    QApplication application(argc, argv);
    QApplication::setApplicationName("Varnel Flash Device Upload");
    QApplication::setApplicationDisplayName("Varnel Flash Device Upload");

    uflash8::TForm1 form1(QApplication::applicationDirPath().toStdString() + "/", chfile1::UserHomeFolder());
    // SIGTERM and SIGINT close the window as its Close button would: the port closes, the capture file
    // reaches the disk.
    flash410::TerminationWatcher watcher([&form1] { form1.close(); });
    form1.show();
    return application.exec();
}
