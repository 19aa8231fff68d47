#include "prepare_command.h"

#include <cstdint>
#include <optional>
#include <utility>

#include "chosen_file_names.h"
#include "image/byte_file.h"
#include "image/hex_input.h"
#include "image/preparation_error.h"
#include "image/upload_image.h"

namespace flash410::cli {
namespace {

using image::BinaryImageFile;
using image::ByteFile;

struct PreparedImage {
    image::UploadImageResult Upload;
    std::uint64_t BytesOutsideImage = 0;
};

bool IsIntelHex(const std::string& extension) {
    return extension == "HEX" || extension == "H86" || extension == "MCS";
}

// The steps the window runs tick by tick, run one after the other.
PreparedImage Prepare(const std::string& chosen_file, const ChosenFileNames& names) {
    PreparedImage prepared;
    std::optional<BinaryImageFile> binary_file;
    if (IsIntelHex(names.Extension)) {
        binary_file = image::EmptyBinaryFile(names.BinaryFileName);
        image::HexReaderState state;
        image::ReadHexInput(chosen_file, *binary_file, state);
        prepared.BytesOutsideImage = state.BytesOutsideImage;
    } else {
        binary_file = BinaryImageFile::OpenForReading(names.BinaryFileName);
        prepared.BytesOutsideImage = binary_file->BytesBeyondImage();
    }
    ByteFile image_file = ByteFile::Create(names.ImageFileName);
    image::BlockBuffer block_buffer{};
    prepared.Upload = image::WriteUploadImage(std::move(*binary_file), image_file, block_buffer);
    image_file.Close();
    return prepared;
}

int CountReadyImage(const std::string& chosen_file, std::ostream& out) {
    const ByteFile image_file = ByteFile::OpenForReading(chosen_file);
    out << "Upload image: " << chosen_file << '\n'
        << "Blocks: " << image_file.Size() / image::BlockSize << '\n';
    return ExitSuccess;
}

}  // namespace

int RunPrepare(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
    if (arguments.size() != 1) {
        err << "Usage: flash410-cli prepare FILE\n";
        return ExitUsage;
    }
    const std::string& chosen_file = arguments.front();
    try {
        // Like the window, prepare nothing for a file that is not there.
        ByteFile::OpenForReading(chosen_file).Close();
        const ChosenFileNames names = FormChosenFileNames(chosen_file);
        if (names.Extension == "VXF") {
            return CountReadyImage(chosen_file, out);
        }
        if (!IsIntelHex(names.Extension) && names.Extension != "BIN") {
            err << "Unexpected file extension (" << names.Extension
                << "): give an Intel HEX (.hex, .h86, .mcs), binary (.bin) or upload image (.vxf) file\n";
            return ExitFailure;
        }
        const PreparedImage prepared = Prepare(chosen_file, names);
        out << "Binary image: " << names.BinaryFileName.string() << '\n'
            << "Upload image: " << names.ImageFileName.string() << '\n'
            << "Blocks: " << prepared.Upload.BlockCount << '\n'
            << "Checksum: " << prepared.Upload.ChecksumText << '\n';
        if (prepared.BytesOutsideImage > 0) {
            err << "Warning: " << prepared.BytesOutsideImage
                << " bytes lay outside the 4 MiB flash and were left out of the image\n";
        }
        return ExitSuccess;
    } catch (const image::PreparationError& failure) {
        err << failure.what() << '\n';
        return ExitFailure;
    }
}

CliCommand PrepareCommand() {
    return CliCommand{"prepare", "FILE",
                      "Turns an Intel HEX or .bin file into the .BIN and .VXF files beside it and prints the "
                      "block count and checksum.",
                      RunPrepare};
}

}  // namespace flash410::cli
