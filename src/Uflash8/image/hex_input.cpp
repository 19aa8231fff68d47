#include "hex_input.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "byte_file.h"
#include "hex_line_splitter.h"
#include "preparation_error.h"

namespace flash410::image {
namespace {

// Large enough that reading costs few system calls, small enough to stay well within memory.
constexpr std::size_t InputPieceSize = 256 * 1024;

}  // namespace

BinaryImageFile EmptyBinaryFile(const std::filesystem::path& binary_file_name) {
    return BinaryImageFile::CreateErased(binary_file_name);
}

void ReadHexInput(const std::filesystem::path& chosen_file, BinaryImageFile& binary_file,
                  HexReaderState& state) {
    state = HexReaderState{};
    ByteFile input = ByteFile::OpenForReading(chosen_file);
    const ImageBytes image = binary_file.Contents();
    HexLineSplitter splitter;
    auto take_line = [&](std::string_view line) {
        InterpretHexLine(line, state, image);
        return !state.EndOfInput;
    };

    std::vector<std::uint8_t> piece(InputPieceSize);
    try {
        for (;;) {
            const std::size_t count = input.Read(piece);
            if (count == 0) {
                splitter.Finish(take_line);
                break;
            }
            const std::string_view text(reinterpret_cast<const char*>(piece.data()), count);
            if (!splitter.Feed(text, take_line)) {
                break;
            }
        }
    } catch (const MalformedRecord& fault) {
        throw PreparationError("Cannot convert " + chosen_file.string() + ", line " +
                               std::to_string(splitter.LineNumber()) + ": " + fault.what());
    }
    input.Close();
    binary_file.WriteBack();
}

}  // namespace flash410::image
