// Figures for the window program, offscreen:
//  1. the longest single tick while a full 4 MiB Intel HEX file is prepared (the window is frozen for
//     that long);
//  2. a 512-block upload at 38400 baud to the simulated modem (a separate process pacing the line):
//     the time taken against the time its bytes need on the wire, and the CPU time the program uses
//     during the upload and while idle afterwards with the 50 ms tick running.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "support/firmware_files.h"
#include "support/pseudo_terminal.h"
#include "window/file_chooser_dialog.h"
#include "window/main_window.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Id = flash410::window_model::ControlId;

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

template <typename Condition>
bool RunUntil(Condition condition, int limitMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition() && elapsed.elapsed() < limitMs) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return condition();
}

std::string Text(QLabel* label) {
    return label->text().toStdString();
}

void Choose(flash410::window::MainWindow& form, const std::string& name, int type) {
    form.FileChooser->ScriptNextShowing([name, type](flash410::window::FileChooserDialog& chooser) {
        chooser.FileTypeBox->setCurrentIndex(type);
        const auto items = chooser.FileList->findItems(QString::fromStdString(name), Qt::MatchExactly);
        if (!items.isEmpty())
            chooser.FileList->setCurrentItem(items.front());
        chooser.OkButton->click();
    });
    form.Control<QPushButton>(Id::kChooseFileButton)->click();
}

auto NoMessageBoxes() {
    return [](QWidget*, const QString& text, bool) {
        std::fprintf(stderr, "message: %s\n", text.toStdString().c_str());
    };
}

void LongestPreparationTick(const std::string& programFolder, const std::string& home) {
    flash410::test_support::PseudoTerminal line;
    fs::create_directories(programFolder + "ports");
    fs::create_symlink(line.slavePath(), programFolder + "ports/com3");
    // 4 MiB of data in 16-byte records, a type 04 record every 64 KiB: about 11.8 MB of text.
    flash410::test_support::FlashBytes image(4u * 1024 * 1024);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>((i * 31 + i / 4096) % 251);
    flash410::test_support::WriteBytes(home + "full.hex", flash410::test_support::ToIntelHex(image));

    flash410::window::MainWindow form(flash410::platform::BesideProgram(programFolder), home,
                                      NoMessageBoxes());
    form.show();
    form.Control<QComboBox>(Id::kPortList)->setCurrentIndex(2);
    form.Control<QPushButton>(Id::kStartButton)->click();
    RunUntil([&] { return form.Control<QPushButton>(Id::kChooseFileButton)->isVisible(); }, 10000);
    // From here the ticks are driven one by one and timed, the timer's own ticks held back.
    form.Timer->blockSignals(true);
    Choose(form, "full.hex", 4);
    double longestMs = 0;
    int longestState = 0;
    for (int tick = 0; tick < 10 && !form.model().Idle(); ++tick) {
        const int state = form.model().CurrentStepNumber();
        const auto start = Clock::now();
        form.Tick();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::printf("  tick in state %3d: %7.1f ms\n", state, ms);
        if (ms > longestMs) {
            longestMs = ms;
            longestState = state;
        }
    }
    std::printf("Longest tick while preparing a full 4 MiB HEX file: %.1f ms (state %d); %s\n", longestMs,
                longestState, Text(form.Control<QLabel>(Id::kFileStatusLine)).c_str());
}

void TimedUpload(const std::string& programFolder, const std::string& home) {
    constexpr int kBlocks = 512;
    const pid_t modem = fork();
    if (modem == 0) {
        execl(MODEM_SIM_PROGRAM, MODEM_SIM_PROGRAM, "--link", programFolder.c_str(), "4", "--baud", "port",
              "--erase-seconds", "0", "--no-image", static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 100 && !fs::is_symlink(programFolder + "ports/com4"); ++i) usleep(20000);

    flash410::test_support::FlashBytes image(4u * 1024 * 1024, 0xFF);
    for (std::size_t i = 0; i < kBlocks * 1024; ++i) image[i] = static_cast<std::uint8_t>(i * 7);
    flash410::test_support::WriteBytes(home + "upload.bin", image);

    flash410::window::MainWindow form(flash410::platform::BesideProgram(programFolder), home,
                                      NoMessageBoxes());
    form.show();
    form.Control<QComboBox>(Id::kPortList)->setCurrentIndex(3);
    form.Control<QComboBox>(Id::kBaudList)->setCurrentText("38400");
    form.Control<QPushButton>(Id::kStartButton)->click();
    RunUntil([&] { return form.Control<QPushButton>(Id::kChooseFileButton)->isVisible(); }, 10000);
    Choose(form, "upload.bin", 1);
    RunUntil([&] { return Text(form.Control<QLabel>(Id::kFileStatusLine)).starts_with("Upload will be"); },
             20000);

    const double cpuBefore = CpuSeconds();
    const auto start = Clock::now();
    form.Control<QPushButton>(Id::kUploadButton)->click();
    const bool complete = RunUntil(
        [&] { return Text(form.Control<QLabel>(Id::kResultLine)).starts_with("Upload complete"); }, 600000);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuBefore;

    // On the wire: each block of 1031 bytes and the modem's request line for it (SEND BLOCK CR LF), at 10
    // bits a byte, plus the handshake and the closing lines.
    const double byteSeconds = 10.0 / 38400;
    const double wire = (kBlocks * (1031 + 12) + 12 + 8 + 9 + 3 + 16 + 16 + 12 + 11) * byteSeconds;
    std::printf(
        "Upload of %d blocks at 38400 baud: %s in %.2f s; the wire needs %.2f s: %.3f times the wire time\n",
        kBlocks, complete ? "complete" : "NOT complete", seconds, wire, seconds / wire);
    std::printf("  %s\n", Text(form.Control<QLabel>(Id::kResultLine)).c_str());
    std::printf("CPU during the upload: %.2f s, %.2f %% of one core\n", cpu, 100.0 * cpu / seconds);

    const double idleCpuBefore = CpuSeconds();
    const auto idleStart = Clock::now();
    {
        // One event loop for the whole stretch, so that only the program's own tick wakes it.
        QEventLoop idle;
        QTimer::singleShot(10000, &idle, &QEventLoop::quit);
        idle.exec();
    }
    const double idleSeconds = std::chrono::duration<double>(Clock::now() - idleStart).count();
    const double idleCpu = CpuSeconds() - idleCpuBefore;
    std::printf("CPU idle afterwards (tick every %d ms): %.3f s in %.1f s, %.3f %% of one core\n",
                form.Timer->interval(), idleCpu, idleSeconds, 100.0 * idleCpu / idleSeconds);

    kill(modem, SIGTERM);
    waitpid(modem, nullptr, 0);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const fs::path previous = fs::current_path();
    const fs::path root = fs::temp_directory_path() / ("flash410-bench-" + std::to_string(getpid()));
    fs::create_directories(root / "program");
    fs::create_directories(root / "home");
    const std::string programFolder = (root / "program").string() + "/";
    const std::string home = (root / "home").string() + "/";
    const std::string which = argc > 1 ? argv[1] : "all";
    if (which == "all" || which == "prepare")
        LongestPreparationTick(programFolder, home);
    if (which == "all" || which == "upload")
        TimedUpload(programFolder, home);
    fs::current_path(previous);
    fs::remove_all(root);
    return 0;
}
