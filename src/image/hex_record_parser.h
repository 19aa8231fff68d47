#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace flash410::image {

// A record carries at most 255 data bytes: all that its two-digit length field can say.
inline constexpr std::size_t kMaxRecordDataBytes = 255;
// ":" LL AAAA TT, two digits per data byte, CC: a record without data is 11 characters long.
inline constexpr std::size_t kShortestRecordLine = 11;
inline constexpr std::size_t kLongestRecordLine = kShortestRecordLine + 2 * kMaxRecordDataBytes;

enum class RecordType : std::uint8_t {
    kData = 0x00,
    kEndOfFile = 0x01,
    kExtendedSegmentAddress = 0x02,
    kStartSegmentAddress = 0x03,
    kExtendedLinearAddress = 0x04,
    kStartLinearAddress = 0x05,
};

// One record that has passed every check, its fields as numbers.
struct ParsedHexRecord {
    RecordType Type = RecordType::kData;
    std::uint16_t Address = 0;
    std::uint8_t Length = 0;
    // Only the first Length bytes are set.
    std::array<std::uint8_t, kMaxRecordDataBytes> Data;

    std::span<const std::uint8_t> Bytes() const { return {Data.data(), Length}; }
};

// A line that cannot be read as a record. The message says what is wrong with it; the caller adds the
// file name and line number.
class MalformedRecord : public std::runtime_error {
  public:
    explicit MalformedRecord(const std::string& reason) : std::runtime_error(reason) {}
};

// Reads one line as a record and checks all of it: the start code, hexadecimal digits only and an even
// number of them, the length field against the line's length, the checksum, a known record type and
// the data length that type requires. A single wrong character in a firmware file must stop the
// conversion rather than put a wrong byte into the modem's flash. Throws MalformedRecord naming the
// first fault found.
ParsedHexRecord ParseHexRecord(std::string_view line);

}  // namespace flash410::image
