#include "image/hex_input.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "image/file_failure.h"
#include "image/hex_line_splitter.h"
#include "image/preparation_error.h"
#include "platform/byte_file.h"

namespace flash410::image {
namespace {

// Large enough that reading costs few system calls, small enough to stay well within memory.
constexpr std::size_t kInputPieceSize = 256 * 1024;

// A file that stops before its end-of-file record has most likely been cut short in a copy or a
// download; what it holds is not the whole firmware and must not reach the modem.
void RequireEndOfFileRecord(const HexReaderState& state, std::int64_t linesRead) {
    if (linesRead == 0) {
        throw MalformedRecord("the file is empty");
    }
    if (!state.EndOfInput) {
        throw MalformedRecord(
            "the file ends without an end-of-file record (type 01): it is most likely cut short");
    }
}

}  // namespace

BinaryImageFile EmptyBinaryFile(const std::filesystem::path& binaryFileName, FlashSize flash) {
    return BinaryImageFile::CreateErased(binaryFileName, flash);
}

void ReadHexInput(const std::filesystem::path& chosenFile, BinaryImageFile& binaryFile,
                  HexReaderState& state) {
    state = HexReaderState{};
    platform::ByteFile input =
        ReportFileFailures([&] { return platform::ByteFile::OpenForReading(chosenFile); });
    FlashImage& image = binaryFile.Image();
    HexLineSplitter splitter;
    auto takeLine = [&](std::string_view line) {
        InterpretHexLine(line, state, image);
        return !state.EndOfInput;
    };

    std::vector<std::uint8_t> piece(kInputPieceSize);
    try {
        for (;;) {
            const std::size_t count = ReportFileFailures([&] { return input.Read(piece); });
            if (count == 0) {
                splitter.Finish(takeLine);
                break;
            }
            const std::string_view text(reinterpret_cast<const char*>(piece.data()), count);
            if (!splitter.Feed(text, takeLine)) {
                break;
            }
        }
        RequireEndOfFileRecord(state, splitter.LineNumber());
    } catch (const MalformedRecord& fault) {
        // An empty file has no line; its fault is on the line where the records should have begun.
        const std::int64_t line = std::max<std::int64_t>(splitter.LineNumber(), 1);
        throw PreparationError("Cannot convert " + chosenFile.string() + ", line " + std::to_string(line) +
                               ": " + fault.what());
    }
    ReportFileFailures([&] { input.Close(); });
    binaryFile.WriteBack();
}

}  // namespace flash410::image
