#include "cli/prepare_command.h"

#include <CLI/CLI.hpp>

#include <vector>

#include "cli/ready_image.h"
#include "command_line/help_formatter.h"
#include "image/preparation_error.h"
#include "platform/stop_signal_watcher.h"

namespace flash410::cli {

namespace {

constexpr char kDescription[] =
    R"(Makes FILE ready for the modem as the window does, without a modem: an Intel HEX (.hex, .h86, .mcs) or
binary (.bin) file becomes the binary image (.BIN) and the upload image (.VXF) beside it; an upload image
(.vxf) is checked. Prints the block count and the checksum. Nothing is written unless the whole preparation
succeeds, and a .BIN or .VXF file there that the program did not make is never replaced.)";

constexpr char kFile[] = "An Intel HEX (.hex, .h86, .mcs), binary (.bin) or upload image (.vxf) file.";

constexpr char kExitStatus[] =
    R"(Exit status: 0 ready; 1 the file cannot be made ready (the reason is given); 2 wrong arguments;
130 stopped by Ctrl+C.)";

void DefinePrepareCommandLine(CLI::App& app, std::vector<std::string>& files,
                              const SystemConventions& system) {
    app.description(kDescription);
    app.add_option("FILE", files, kFile);  // one is right; more are named in the refusal
    app.set_help_flag("-h,--help", "Shows this text.");
    app.footer(kExitStatus);
    command_line::UseHelpLayout(app, 20, std::string(HelpOptionNames(system)));
}

}  // namespace

int RunPrepare(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
               const SystemConventions& system) {
    CLI::App app("", "flash410-cli prepare");
    std::vector<std::string> files;
    DefinePrepareCommandLine(app, files, system);
    if (const std::optional<int> status = ReadCommandArguments(app, "prepare", arguments, out, err, system)) {
        return *status;
    }
    if (files.empty()) {
        return RefuseArguments(err, "prepare", "Name the firmware file to prepare");
    }
    if (files.size() > 1) {
        return RefuseArguments(
            err, "prepare",
            "Only one firmware file can be prepared at a time (" + files[0] + ", " + files[1] + ")");
    }
    const platform::StopSignalWatcher signals;  // a stop between the steps removes what the preparation began
    try {
        const ReadyImage ready = MakeImageReady(files.front(), [&signals] { return signals.Requested(); });
        if (!ready.BinaryPath.empty()) {
            out << "Binary image: " << ready.BinaryPath << '\n';
        }
        out << "Upload image: " << ready.ImagePath << '\n'
            << "Blocks: " << ready.BlockCount << '\n'
            << "Checksum: " << ready.ChecksumText << '\n';
        return kExitSuccess;
    } catch (const image::PreparationStopped& stopped) {
        err << stopped.what() << '\n';
        return kExitStopped;
    } catch (const image::PreparationError& failure) {
        err << failure.what() << '\n';
        return kExitFailure;
    }
}

CliCommand PrepareCommand() {
    return CliCommand{"prepare", "FILE",
                      "Turns an Intel HEX or .bin file into the .BIN and .VXF files beside it and prints the "
                      "block count and checksum; checks a .vxf file and prints the same.",
                      [](std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
                          return RunPrepare(arguments, out, err);
                      }};
}

}  // namespace flash410::cli
