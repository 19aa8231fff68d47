#include "hex_record.h"

#include <algorithm>

namespace flash410::image {
namespace {

std::uint32_t TwoByteValue(const ParsedHexRecord& record) {
    return std::uint32_t{record.Data[0]} << 8 | record.Data[1];
}

}  // namespace

void WriteDataRecord(const ParsedHexRecord& record, HexReaderState& state, ImageBytes image) {
    // Both address records add to the record's address. Computed in 64 bits, no address wraps round to
    // land inside the flash.
    const std::uint64_t first =
        (std::uint64_t{state.UpperLinearAddress} << 16) + state.SegmentBase + record.Address;
    const std::uint64_t inside =
        first < kBinaryImageSize ? std::min<std::uint64_t>(record.Length, kBinaryImageSize - first) : 0;
    if (inside > 0) {
        std::copy_n(record.Data.begin(), inside, image.subspan(first).begin());
    }
    state.BytesOutsideImage += record.Length - inside;
}

void InterpretHexLine(std::string_view line, HexReaderState& state, ImageBytes image) {
    const ParsedHexRecord record = ParseHexRecord(line);
    switch (record.Type) {
        case RecordType::Data:
            WriteDataRecord(record, state, image);
            break;
        case RecordType::EndOfFile:
            state.EndOfInput = true;
            break;
        case RecordType::ExtendedSegmentAddress:
            // The full segment base: taking only the segment's first digit as a 64 KiB bank would move
            // the data of any segment that is not a multiple of 0x1000.
            state.SegmentBase = TwoByteValue(record) << 4;
            break;
        case RecordType::ExtendedLinearAddress:
            state.UpperLinearAddress = TwoByteValue(record);
            break;
        case RecordType::StartSegmentAddress:
        case RecordType::StartLinearAddress:
            // Where the processor starts running: nothing to put into the flash.
            break;
    }
}

}  // namespace flash410::image
