#include "image/hex_record.h"
#include "platform/hex_text.h"

#include <algorithm>
#include <string>

namespace flash410::image {
namespace {

constexpr std::uint32_t kSegmentSize = 0x10000;

std::uint32_t TwoByteValue(const ParsedHexRecord& record) {
    return std::uint32_t{record.Data[0]} << 8 | record.Data[1];
}

}  // namespace

void WriteDataRecord(const ParsedHexRecord& record, HexReaderState& state, FlashImage& image) {
    // Readers disagree whether such a record's tail wraps to the start of its segment or runs on past
    // it, so either reading could put firmware where its builder did not mean it; tools split records there.
    if (std::uint32_t{record.Address} + record.Length > kSegmentSize) {
        throw MalformedRecord("the record runs past the end of its 64 KiB segment (offset FFFF)");
    }
    // Both address records add to the record's address. Computed in 64 bits, no address wraps round to
    // land inside the flash.
    const std::uint64_t first =
        (std::uint64_t{state.UpperLinearAddress} << 16) + state.SegmentBase + record.Address;
    // Data the flash has no room for would be missing from the modem after an upload said to be complete.
    const std::uint64_t flashBytes = image.Size().Bytes();
    if (first + record.Length > flashBytes) {
        const std::uint64_t beyond = std::max<std::uint64_t>(first, flashBytes);
        throw MalformedRecord("its data at address " + platform::HexNumber(beyond, 6) +
                              " (hexadecimal) lies beyond the " + image.Size().Text() +
                              " flash, which ends at " + image.Size().LastAddressText());
    }
    image.Write(static_cast<std::size_t>(first), record.Bytes());
}

void InterpretHexLine(std::string_view line, HexReaderState& state, FlashImage& image) {
    const ParsedHexRecord record = ParseHexRecord(line);
    switch (record.Type) {
        case RecordType::kData:
            WriteDataRecord(record, state, image);
            break;
        case RecordType::kEndOfFile:
            state.EndOfInput = true;
            break;
        case RecordType::kExtendedSegmentAddress:
            // The full segment base: taking only the segment's first digit as a 64 KiB bank would move
            // the data of any segment that is not a multiple of 0x1000.
            state.SegmentBase = TwoByteValue(record) << 4;
            break;
        case RecordType::kExtendedLinearAddress:
            state.UpperLinearAddress = TwoByteValue(record);
            break;
        case RecordType::kStartSegmentAddress:
        case RecordType::kStartLinearAddress:
            // Where the processor starts running: nothing to put into the flash.
            break;
    }
}

}  // namespace flash410::image
