#include "prepare_command.h"

#include "image/preparation_error.h"
#include "ready_image.h"

namespace flash410::cli {

int RunPrepare(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
    if (arguments.size() != 1) {
        err << "Usage: flash410-cli prepare FILE\n";
        return kExitUsage;
    }
    try {
        const ReadyImage ready = MakeImageReady(arguments.front());
        if (!ready.BinaryPath.empty()) {
            out << "Binary image: " << ready.BinaryPath << '\n';
        }
        out << "Upload image: " << ready.ImagePath << '\n'
            << "Blocks: " << ready.BlockCount << '\n'
            << "Checksum: " << ready.ChecksumText << '\n';
        if (ready.BytesOutsideImage > 0) {
            err << "Warning: " << ready.BytesOutsideImage
                << " bytes lay outside the 4 MiB flash and were left out of the image\n";
        }
        return kExitSuccess;
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
