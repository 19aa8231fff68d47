#pragma once

#include <cstdint>
#include <string_view>

#include "image/flash_image.h"
#include "image/hex_record_parser.h"

namespace flash410::image {

// What the reader carries from one line to the next during one conversion.
struct HexReaderState {
    // Base of the last extended segment address record (type 02): its segment times 16.
    std::uint32_t SegmentBase = 0;
    // Value of the last extended linear address record (type 04): the upper 16 address bits.
    std::uint32_t UpperLinearAddress = 0;
    // Set once the end-of-file record (type 01) has been read; nothing after it is read.
    bool EndOfInput = false;
};

// Takes one line of an Intel HEX file: writes a data record into the image, or updates the state. A
// line that fails any check of ParseHexRecord throws MalformedRecord and leaves image and state as
// they were. Start address records (types 03 and 05) change nothing.
void InterpretHexLine(std::string_view line, HexReaderState& state, FlashImage& image);

// Writes the bytes of one data record (type 00) at the address it has under the state: the upper linear
// address times 0x10000, plus the segment base, plus the record's address. A record that runs past the
// end of its 64 KiB segment, or whose data does not fit in the flash, throws MalformedRecord and writes
// nothing.
void WriteDataRecord(const ParsedHexRecord& record, HexReaderState& state, FlashImage& image);

}  // namespace flash410::image
