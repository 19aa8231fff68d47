// Feeds arbitrary text to the Intel HEX reader. The input's first byte picks where the rest, the text,
// is cut in two. Besides the sanitizers' checks it requires that the text gives the same lines whole and
// cut, that the reader accepts a line exactly when a plain reading of the record rules and of where its
// data lands does, and that the records never put more bytes into the image than their length fields say.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/flash_image.h"
#include "image/hex_line_splitter.h"
#include "image/hex_record.h"

namespace {

using flash410::image::HexLineSplitter;

// A flash of 1 MiB: its end is as near as the modem's for records, and an image per input stays cheap.
constexpr flash410::image::FlashSize kFuzzedFlash = flash410::image::FlashSize::OfChunks(1024);

std::vector<std::string> SplitLines(std::string_view text, std::size_t cut) {
    HexLineSplitter splitter;
    std::vector<std::string> lines;
    auto collect = [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    };
    splitter.Feed(text.substr(0, cut), collect);
    splitter.Feed(text.substr(cut), collect);
    splitter.Finish(collect);
    return lines;
}

// The rules of a record, read plainly and apart from the reader: ":" and pairs of hexadecimal digits,
// a length field that matches the line, bytes that sum to 0 modulo 256, a type from 00 to 05 and the
// data length that type requires.
bool IsValidRecord(std::string_view line) {
    if (line.size() < 11 || line.size() > 521 || line.front() != ':' || line.size() % 2 == 0) {
        return false;
    }
    std::vector<unsigned> bytes;
    for (std::size_t at = 1; at < line.size(); at += 2) {
        unsigned value = 0;
        const char* const end = line.data() + at + 2;
        const auto [stop, error] = std::from_chars(line.data() + at, end, value, 16);
        if (error != std::errc() || stop != end) {
            return false;
        }
        bytes.push_back(value);
    }
    unsigned sum = 0;
    for (const unsigned byte : bytes) {
        sum += byte;
    }
    const unsigned length = bytes[0];
    const unsigned type = bytes[3];
    constexpr std::array<int, 6> RequiredLength{-1, 0, 2, 4, 2, 4};
    return bytes.size() == length + 5 && sum % 256 == 0 && type < RequiredLength.size() &&
           (RequiredLength[type] < 0 || static_cast<int>(length) == RequiredLength[type]);
}

// Where a valid data record lands, read plainly: inside its 64 KiB segment and inside the flash, with the
// upper linear address and the segment base (as the reader keeps them) added to its address.
bool FitsInTheFlash(std::string_view line, const flash410::image::HexReaderState& state) {
    if (line.substr(7, 2) != "00") {
        return true;
    }
    const unsigned long length = std::stoul(std::string(line.substr(1, 2)), nullptr, 16);
    const unsigned long address = std::stoul(std::string(line.substr(3, 4)), nullptr, 16);
    const unsigned long long first =
        (static_cast<unsigned long long>(state.UpperLinearAddress) << 16) + state.SegmentBase + address;
    return address + length <= 0x10000 && first + length <= kFuzzedFlash.Bytes();
}

// Counts the bytes that differ from erased flash, or SIZE_MAX when a chunk that is not marked written
// differs: the upload image would take such a chunk for blank and leave its data out. Only chunks that
// differ are looked at byte by byte, so an input costs a fast compare rather than an instrumented loop.
std::size_t CountChangedBytes(const flash410::image::FlashImage& image) {
    using flash410::image::kChunkSize;
    static const std::vector<std::uint8_t> erasedChunk(kChunkSize, flash410::image::kErasedByte);
    std::size_t changed = 0;
    for (std::size_t chunk = 0; chunk < image.Size().Chunks(); ++chunk) {
        const std::span<const std::uint8_t> bytes = image.Chunk(chunk);
        if (std::memcmp(bytes.data(), erasedChunk.data(), kChunkSize) != 0) {
            if (!image.Written(chunk)) {
                return SIZE_MAX;
            }
            changed += static_cast<std::size_t>(
                std::count_if(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte != 0xFF; }));
        }
    }
    return changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace flash410::image;
    if (size == 0) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::vector<std::string> lines = SplitLines(text, data[0] % (text.size() + 1));
    if (lines != SplitLines(text, 0)) {
        std::abort();
    }

    FlashImage image(kFuzzedFlash);
    HexReaderState state;
    std::uint64_t dataBytesRead = 0;
    for (const std::string& line : lines) {
        const HexReaderState before = state;
        bool accepted = true;
        try {
            InterpretHexLine(line, state, image);
        } catch (const MalformedRecord&) {
            accepted = false;
        }
        if (accepted != (IsValidRecord(line) && FitsInTheFlash(line, before))) {
            std::abort();
        }
        if (!accepted || state.EndOfInput) {
            break;
        }
        if (line.substr(7, 2) == "00") {
            dataBytesRead += std::stoul(line.substr(1, 2), nullptr, 16);
        }
    }
    // No record writes more than it holds, nor outside the chunks it marks written.
    if (CountChangedBytes(image) > dataBytesRead) {
        std::abort();
    }
    return 0;
}
