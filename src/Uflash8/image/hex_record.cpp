#include "hex_record.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace flash410::image {
namespace {

// Character indexes (from 0) of the fields of a record line ":LLAAAATT...".
constexpr std::size_t LengthField = 1;
constexpr std::size_t AddressField = 3;
constexpr std::size_t TypeCharacter = 8;
constexpr std::size_t DataField = 9;
constexpr std::size_t ShortestRecord = TypeCharacter + 1;
// Type 02 and type 04 records carry four digits in their data field.
constexpr std::size_t ShortestAddressRecord = DataField + 4;

constexpr std::array<std::int8_t, 256> MakeDigitValues() {
    std::array<std::int8_t, 256> values{};
    values.fill(-1);
    for (int digit = 0; digit < 10; ++digit) {
        values['0' + digit] = static_cast<std::int8_t>(digit);
    }
    for (int digit = 0; digit < 6; ++digit) {
        values['A' + digit] = static_cast<std::int8_t>(10 + digit);
        values['a' + digit] = static_cast<std::int8_t>(10 + digit);
    }
    return values;
}

constexpr std::array<std::int8_t, 256> DigitValues = MakeDigitValues();

std::string DescribeCharacter(char character) {
    const auto code = static_cast<unsigned char>(character);
    if (code >= 0x20 && code < 0x7F) {
        return std::string("\"") + character + "\"";
    }
    static constexpr char Digits[] = "0123456789ABCDEF";
    return std::string("the character code 0x") + Digits[code >> 4] + Digits[code & 0xF];
}

// Value of the digits of line[index, index + count); the caller has checked that the line is long enough.
std::uint32_t ReadHexDigits(std::string_view line, std::size_t index, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t at = index; at < index + count; ++at) {
        const std::int8_t digit = DigitValues[static_cast<unsigned char>(line[at])];
        if (digit < 0) {
            throw MalformedRecord(DescribeCharacter(line[at]) + " at position " + std::to_string(at + 1) +
                                  " is not a hexadecimal digit");
        }
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

void RequireLength(std::string_view line, std::size_t needed, const char* record) {
    if (line.size() < needed) {
        throw MalformedRecord(std::string("the ") + record + " is too short: it needs " +
                              std::to_string(needed) + " characters, the line has " +
                              std::to_string(line.size()));
    }
}

}  // namespace

void WriteDataRecord(std::string_view line, HexReaderState& state, ImageBytes image) {
    RequireLength(line, ShortestRecord, "record");
    const std::uint32_t length = ReadHexDigits(line, LengthField, 2);
    if (length > MaxDataRecordBytes) {
        throw MalformedRecord("the data record holds " + std::to_string(length) + " bytes, more than " +
                              std::to_string(MaxDataRecordBytes));
    }
    const std::uint32_t address = ReadHexDigits(line, AddressField, 4);
    // The length field alone says how many data digits there are; the checksum after them is not data.
    RequireLength(line, DataField + 2 * length, "data record");

    // The bytes are collected first, so a record with a bad digit leaves the image as it was.
    std::array<std::uint8_t, MaxDataRecordBytes> bytes;
    const char* const digits = line.data() + DataField;
    for (std::size_t i = 0; i < length; ++i) {
        const int high = DigitValues[static_cast<unsigned char>(digits[2 * i])];
        const int low = DigitValues[static_cast<unsigned char>(digits[2 * i + 1])];
        if ((high | low) < 0) {
            ReadHexDigits(line, DataField + 2 * i, 2);  // names the bad digit
        }
        bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
    }

    // Both address records add to the record's address. Computed in 64 bits, no address wraps round to
    // land inside the flash.
    const std::uint64_t first = (std::uint64_t{state.UpperLinearAddress} << 16) + state.SegmentBase + address;
    const std::uint64_t inside =
        first < BinaryImageSize ? std::min<std::uint64_t>(length, BinaryImageSize - first) : 0;
    if (inside > 0) {
        std::copy_n(bytes.begin(), inside, image.subspan(first).begin());
    }
    state.BytesOutsideImage += length - inside;
}

void InterpretHexLine(std::string_view line, HexReaderState& state, ImageBytes image) {
    if (line.empty()) {
        throw MalformedRecord("the line is empty");
    }
    RequireLength(line, ShortestRecord, "record");
    switch (line[TypeCharacter]) {
        case '0':
            WriteDataRecord(line, state, image);
            break;
        case '1':
            state.EndOfInput = true;
            break;
        case '2':
            // The full segment base: taking only the segment's first digit as a 64 KiB bank would move
            // the data of any segment that is not a multiple of 0x1000.
            RequireLength(line, ShortestAddressRecord, "extended segment address record");
            state.SegmentBase = ReadHexDigits(line, DataField, 4) << 4;
            break;
        case '4':
            RequireLength(line, ShortestAddressRecord, "extended linear address record");
            state.UpperLinearAddress = ReadHexDigits(line, DataField, 4);
            break;
        default:
            // Start addresses (types 03 and 05) and unknown types do not touch the image.
            break;
    }
}

}  // namespace flash410::image
