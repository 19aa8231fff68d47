#include "cli/prepare_command.h"

#include <algorithm>

#include "cli/ready_image.h"
#include "image/preparation_error.h"
#include "platform/stop_signal_watcher.h"

namespace flash410::cli {

namespace {

constexpr char kPrepareHelp[] = R"(Usage: flash410-cli prepare FILE

Makes FILE ready for the modem as the window does, without a modem: an Intel HEX (.hex, .h86, .mcs) or
binary (.bin) file becomes the binary image (.BIN) and the upload image (.VXF) beside it; an upload image
(.vxf) is checked. Prints the block count and the checksum. Nothing is written unless the whole preparation
succeeds, and a .BIN or .VXF file there that the program did not make is never replaced.

Exit status: 0 ready; 1 the file cannot be made ready (the reason is given); 2 wrong arguments;
130 stopped by Ctrl+C.
)";

}  // namespace

int RunPrepare(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
    const SystemConventions& system = ThisSystem();
    if (std::any_of(arguments.begin(), arguments.end(),
                    [&system](const std::string& argument) { return AsksForHelp(argument, system); })) {
        out << kPrepareHelp;
        return kExitSuccess;
    }
    for (const std::string& argument : arguments) {
        if (argument.starts_with("-")) {
            return RefuseArguments(err, "prepare", "Unknown option: " + argument);
        }
    }
    if (arguments.empty()) {
        return RefuseArguments(err, "prepare", "Name the firmware file to prepare");
    }
    if (arguments.size() > 1) {
        return RefuseArguments(
            err, "prepare",
            "Only one firmware file can be prepared at a time (" + arguments[0] + ", " + arguments[1] + ")");
    }
    const platform::StopSignalWatcher signals;  // a stop between the steps removes what the preparation began
    try {
        const ReadyImage ready = MakeImageReady(arguments.front(), [&signals] { return signals.Requested(); });
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
                      RunPrepare};
}

}  // namespace flash410::cli
