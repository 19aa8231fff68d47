// modem-sim: the simulated modem flash loader as a program, for the demo and for manual use.
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "flash410_version.h"
#include "modem_sim/flash_loader.h"
#include "modem_sim/port_link.h"
#include "modem_sim/pseudo_terminal.h"
#include "modem_sim/sample_firmware.h"
#include "platform/home_folder.h"
#include "platform/standard_streams.h"
#include "platform/stop_signal_watcher.h"
#include "program/command_line.h"
#include "program/link_folder.h"

namespace {

using modemsim::FlashImage;
using modemsim::ProgramOptions;
using modemsim::UploadReport;

int MakeSample(const std::string& path) {
    modemsim::WriteSampleFirmware(path);
    std::cout << "modem-sim: wrote the sample firmware " << path << '\n';
    return 0;
}

// After each upload: the summary on standard output, and the flash image when the upload erased it.
void ReportUpload(const ProgramOptions& options, const UploadReport& report, const FlashImage& flash) {
    std::cout << "modem-sim: " << modemsim::SummaryLine(report) << std::endl;
    if (!options.imagePath || !report.goReceived) {
        return;
    }
    try {
        flash.Save(*options.imagePath);
        std::cout << "modem-sim: flash image written to " << *options.imagePath << std::endl;
    } catch (const std::exception& failure) {
        std::cerr << "modem-sim: " << failure.what() << std::endl;
    }
}

int Serve(ProgramOptions options) {
    // Made before any other thread starts. Only SIGINT and SIGTERM stop the simulator; SIGHUP ends it.
    const flash410::platform::StopSignalWatcher signals(flash410::platform::HangUp::kEndsProgram);
    if (signals.Error() != 0) {
        throw std::system_error(signals.Error(), std::generic_category(), "cannot watch SIGINT and SIGTERM");
    }
    const modemsim::PseudoTerminal terminal;
    std::unique_ptr<modemsim::PortLink> link;
    if (options.linkFolder) {
        const std::filesystem::path folder = modemsim::PortLinkFolder(
            *options.linkFolder,
            flash410::platform::UserFoldersFromEnvironment(flash410::platform::UserHomeFolder()));
        link = std::make_unique<modemsim::PortLink>(folder, options.linkPort, terminal.slavePath());
    }
    std::cout << "modem-sim: the modem is on " << terminal.slavePath() << '\n';
    if (link) {
        std::cout << "modem-sim: linked as " << link->path().string() << " (COM" << options.linkPort << ")\n";
    }
    std::cout << "modem-sim: waiting for uploads; end with Ctrl+C" << std::endl;

    if (options.verbose) {
        options.config.log = [](const std::string& line) { std::cerr << "modem-sim: " << line << std::endl; };
    }
    modemsim::FlashLoader loader(terminal.master(), static_cast<int>(signals.Waitable()), options.config,
                                 [&options](const UploadReport& report, const FlashImage& flash) {
                                     ReportUpload(options, report, flash);
                                 });
    loader.Serve();
    std::cout << "modem-sim: ended" << std::endl;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    flash410::platform::SecureStandardStreams();
    const std::vector<std::string> args(argv + 1, argv + argc);
    const modemsim::ParsedCommandLine parsed = modemsim::ParseCommandLine(args);
    if (!parsed.error.empty()) {
        std::cerr << "modem-sim: " << parsed.error << "\nTry 'modem-sim --help'.\n";
        return 2;
    }
    if (parsed.options.help) {
        std::cout << modemsim::HelpText();
        return 0;
    }
    if (parsed.options.version) {
        std::cout << flash410::VersionLine("modem-sim") << '\n';
        return 0;
    }
    try {
        if (parsed.options.sampleFile) {
            return MakeSample(*parsed.options.sampleFile);
        }
        return Serve(parsed.options);
    } catch (const std::exception& failure) {
        std::cerr << "modem-sim: " << failure.what() << '\n';
        return 1;
    }
}
