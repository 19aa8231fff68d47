#include "image/hex_record_parser.h"
#include "platform/hex_text.h"

#include <algorithm>

namespace flash410::image {
namespace {

constexpr char kStartCode = ':';
// Byte indexes of the fields once the digits after the start code are read as bytes: LL AAAA TT data CC.
constexpr std::size_t kLengthByte = 0;
constexpr std::size_t kAddressBytes = 1;
constexpr std::size_t kTypeByte = 3;
constexpr std::size_t kDataBytes = 4;
constexpr std::size_t kLongestRecordBytes = kDataBytes + kMaxRecordDataBytes + 1;
constexpr RecordType kLastRecordType = RecordType::kStartLinearAddress;

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

constexpr std::array<std::int8_t, 256> kDigitValues = MakeDigitValues();

int DigitValue(char character) {
    return kDigitValues[static_cast<unsigned char>(character)];
}

// The byte that two hexadecimal digits give, indexed by the pair's two character codes; -1 where either
// is no digit. One look-up a byte reads a full image's 12 MB of text in a few milliseconds.
class DigitPairValues {
  public:
    DigitPairValues() {
        for (unsigned high = 0; high < 256; ++high) {
            for (unsigned low = 0; low < 256; ++low) {
                const int highValue = kDigitValues[high];
                const int lowValue = kDigitValues[low];
                values_[high << 8 | low] =
                    static_cast<std::int16_t>(highValue < 0 || lowValue < 0 ? -1 : highValue << 4 | lowValue);
            }
        }
    }

    int operator()(const char* pair) const {
        return values_[static_cast<unsigned char>(pair[0]) << 8 | static_cast<unsigned char>(pair[1])];
    }

  private:
    std::array<std::int16_t, 256 * 256> values_;
};

std::string DataByteCount(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " data byte" : " data bytes");
}

std::string DescribeCharacter(char character) {
    const auto code = static_cast<unsigned char>(character);
    if (code >= 0x20 && code < 0x7F) {
        return std::string("\"") + character + "\"";
    }
    return "the character code 0x" + platform::HexNumber(code, 2);
}

void RequireDigitsOnly(std::string_view line) {
    const auto bad = std::find_if(line.begin() + 1, line.end(), [](char c) { return DigitValue(c) < 0; });
    if (bad != line.end()) {
        const auto position = static_cast<std::size_t>(bad - line.begin()) + 1;
        throw MalformedRecord(DescribeCharacter(*bad) + " at position " + std::to_string(position) +
                              " is not a hexadecimal digit");
    }
}

// Checks the line's form up to the point where its digits can be read as the bytes of a record.
void RequireRecordForm(std::string_view line) {
    if (line.empty()) {
        throw MalformedRecord("the line is empty");
    }
    // Checked before anything else: a longer line reaches the reader cut short, and any other finding
    // about it would be about the cut rather than the line.
    if (line.size() > kLongestRecordLine) {
        throw MalformedRecord("the line is longer than " + std::to_string(kLongestRecordLine) +
                              " characters, the longest a record can be");
    }
    if (line.front() != kStartCode) {
        throw MalformedRecord("the line starts with " + DescribeCharacter(line.front()) +
                              ", not with the start code \":\"");
    }
    RequireDigitsOnly(line);
    if (line.size() < kShortestRecordLine) {
        throw MalformedRecord("the record is too short: it needs at least " +
                              std::to_string(kShortestRecordLine) + " characters, the line has " +
                              std::to_string(line.size()));
    }
    const std::size_t digitCount = line.size() - 1;
    if (digitCount % 2 != 0) {
        throw MalformedRecord("the record holds an odd number of hexadecimal digits (" +
                              std::to_string(digitCount) + "): one is missing or one is too many");
    }
}

std::uint8_t ReadByte(std::string_view line, std::size_t byteIndex) {
    const std::size_t at = 1 + 2 * byteIndex;
    return static_cast<std::uint8_t>(DigitValue(line[at]) << 4 | DigitValue(line[at + 1]));
}

// Where the length field disagrees with the line, one of them is damaged: a length one too big would
// take the checksum as data, one too small would drop a byte.
void RequireLengthMatchesLine(std::string_view line, std::uint8_t length) {
    const std::size_t needed = kShortestRecordLine + 2 * std::size_t{length};
    if (line.size() != needed) {
        throw MalformedRecord("the length field says " + DataByteCount(length) +
                              ", so the line should have " + std::to_string(needed) + " characters; it has " +
                              std::to_string(line.size()));
    }
}

// The checksum makes all bytes of the record add up to 0 modulo 256.
void RequireChecksum(std::span<const std::uint8_t> bytes) {
    const std::span<const std::uint8_t> covered = bytes.first(bytes.size() - 1);
    unsigned sum = 0;
    for (const std::uint8_t byte : covered) {
        sum += byte;
    }
    const auto expected = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
    if (bytes.back() != expected) {
        throw MalformedRecord("checksum is " + platform::HexNumber(bytes.back(), 2) +
                              ", the record's bytes give " + platform::HexNumber(expected, 2));
    }
}

struct TypeRule {
    const char* Name;
    // The data length the type requires; data records take any length.
    int RequiredLength;
};

TypeRule RuleFor(RecordType type) {
    switch (type) {
        case RecordType::kData:
            return {"data record", -1};
        case RecordType::kEndOfFile:
            return {"end-of-file record", 0};
        case RecordType::kExtendedSegmentAddress:
            return {"extended segment address record", 2};
        case RecordType::kStartSegmentAddress:
            return {"start segment address record", 4};
        case RecordType::kExtendedLinearAddress:
            return {"extended linear address record", 2};
        case RecordType::kStartLinearAddress:
            return {"start linear address record", 4};
    }
    return {"record", -1};
}

RecordType RequireKnownType(std::uint8_t type, std::uint8_t length) {
    if (type > static_cast<std::uint8_t>(kLastRecordType)) {
        throw MalformedRecord("the record type " + platform::HexNumber(type, 2) +
                              " is unknown: the types are 00 to " +
                              platform::HexNumber(static_cast<std::uint8_t>(kLastRecordType), 2));
    }
    const auto recordType = static_cast<RecordType>(type);
    const TypeRule rule = RuleFor(recordType);
    if (rule.RequiredLength >= 0 && length != rule.RequiredLength) {
        throw MalformedRecord(std::string("the ") + rule.Name + " (type " + platform::HexNumber(type, 2) +
                              ") must hold " + DataByteCount(static_cast<std::size_t>(rule.RequiredLength)) +
                              ", its length field says " + std::to_string(length));
    }
    return recordType;
}

// Reads a record that passes every check in one pass over its line, as nearly every line of a firmware
// file does. Returns false at the first doubt, leaving the line to the checks that name its fault.
bool ReadSoundRecord(std::string_view line, ParsedHexRecord& record) {
    if (line.size() < kShortestRecordLine || line.size() > kLongestRecordLine || line.size() % 2 == 0 ||
        line.front() != kStartCode) {
        return false;
    }
    static const DigitPairValues kPairValues;
    std::array<std::uint8_t, kLongestRecordBytes> bytes;
    const std::size_t byteCount = (line.size() - 1) / 2;
    // A pair with a character that is no digit has the value -1, which shows in the sign of all values or-ed.
    int allValues = 0;
    unsigned sum = 0;
    for (std::size_t i = 0; i < byteCount; ++i) {
        const int value = kPairValues(line.data() + 1 + 2 * i);
        allValues |= value;
        bytes[i] = static_cast<std::uint8_t>(value);
        sum += bytes[i];
    }
    const std::uint8_t length = bytes[kLengthByte];
    const std::uint8_t type = bytes[kTypeByte];
    if (allValues < 0 || byteCount != kDataBytes + length + 1 || (sum & 0xFF) != 0 ||
        type > static_cast<std::uint8_t>(kLastRecordType)) {
        return false;
    }
    record.Type = static_cast<RecordType>(type);
    const int requiredLength = RuleFor(record.Type).RequiredLength;
    if (requiredLength >= 0 && length != requiredLength) {
        return false;
    }
    record.Address = static_cast<std::uint16_t>(bytes[kAddressBytes] << 8 | bytes[kAddressBytes + 1]);
    record.Length = length;
    std::copy_n(bytes.begin() + kDataBytes, length, record.Data.begin());
    return true;
}

}  // namespace

ParsedHexRecord ParseHexRecord(std::string_view line) {
    if (ParsedHexRecord record; ReadSoundRecord(line, record)) {
        return record;
    }
    RequireRecordForm(line);
    const std::uint8_t length = ReadByte(line, kLengthByte);
    RequireLengthMatchesLine(line, length);

    std::array<std::uint8_t, kLongestRecordBytes> bytes;
    const std::size_t byteCount = kDataBytes + length + 1;
    for (std::size_t i = 0; i < byteCount; ++i) {
        bytes[i] = ReadByte(line, i);
    }
    RequireChecksum(std::span<const std::uint8_t>(bytes.data(), byteCount));

    ParsedHexRecord record;
    record.Type = RequireKnownType(bytes[kTypeByte], length);
    record.Address = static_cast<std::uint16_t>(bytes[kAddressBytes] << 8 | bytes[kAddressBytes + 1]);
    record.Length = length;
    std::copy_n(bytes.begin() + kDataBytes, length, record.Data.begin());
    return record;
}

}  // namespace flash410::image
