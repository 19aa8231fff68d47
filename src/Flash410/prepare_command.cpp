#include "prepare_command.h"

#include <utility>

#include "image/byte_file.h"
#include "image/chosen_file_names.h"
#include "image/image_preparation.h"
#include "image/preparation_error.h"
#include "image/upload_image_check.h"

namespace flash410::cli {
namespace {

using image::ChosenFileKind;

int CheckReadyImage(const std::string& chosenFile, std::ostream& out) {
    image::ByteFile imageFile = image::ByteFile::OpenForReading(chosenFile);
    const image::UploadImageResult checked = image::VerifyUploadImage(imageFile);
    out << "Upload image: " << chosenFile << '\n'
        << "Blocks: " << checked.BlockCount << '\n'
        << "Checksum: " << checked.ChecksumText << '\n';
    return kExitSuccess;
}

}  // namespace

int RunPrepare(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
    if (arguments.size() != 1) {
        err << "Usage: flash410-cli prepare FILE\n";
        return kExitUsage;
    }
    const std::string& chosenFile = arguments.front();
    try {
        // Like the window, prepare nothing for a file that is not there, nor for one that is not a
        // regular file.
        image::ByteFile::OpenForReading(chosenFile).Close();
        const image::ChosenFileNames names = image::FormChosenFileNames(chosenFile);
        if (names.Kind == ChosenFileKind::UploadImage) {
            return CheckReadyImage(chosenFile, out);
        }
        if (names.Kind == ChosenFileKind::Unexpected) {
            err << "Unexpected file extension (" << names.Extension
                << "): give an Intel HEX (.hex, .h86, .mcs), binary (.bin) or upload image (.vxf) file\n";
            return kExitFailure;
        }
        const image::PreparedImage prepared = image::PrepareAtOnce(names);
        out << "Binary image: " << names.BinaryFileName.string() << '\n'
            << "Upload image: " << names.ImageFileName.string() << '\n'
            << "Blocks: " << prepared.Upload.BlockCount << '\n'
            << "Checksum: " << prepared.Upload.ChecksumText << '\n';
        if (prepared.BytesOutsideImage > 0) {
            err << "Warning: " << prepared.BytesOutsideImage
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
