// How single Intel HEX lines land in the image: addressing, record content, data outside the flash and
// malformed lines.
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

#include "image/hex_record.h"
#include "test_files.h"

namespace flash410::image {
namespace {

using namespace testing;

class HexLines : public ::testing::Test {
  protected:
    void Take(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) {
            InterpretHexLine(line, state_, image_);
        }
    }
    // The image as expected: erased except for the given bytes from address on.
    static std::vector<std::uint8_t> ErasedWith(std::size_t address, const std::vector<std::uint8_t>& bytes) {
        std::vector<std::uint8_t> expected = ErasedImage(kModemFlash);
        std::copy(bytes.begin(), bytes.end(), expected.begin() + static_cast<std::ptrdiff_t>(address));
        return expected;
    }

    HexReaderState state_;
    std::vector<std::uint8_t> Image() const { return {image_.Bytes().begin(), image_.Bytes().end()}; }

    // The modem's own flash: where its end lies is among what these lines show.
    FlashImage image_{kModemFlash};
};

TEST_F(HexLines, DataRecordLandsAtItsAddress) {
    Take({HexRecord(0, 0x0010, {1, 2, 3})});
    EXPECT_EQ(Image(), ErasedWith(0x10, {1, 2, 3}));
}

TEST_F(HexLines, SegmentRecordPlacesDataAtSegmentTimesSixteen) {
    Take({ExtendedSegmentAddress(0x1000), HexRecord(0, 0x0008, {0xAA, 0xBB})});
    EXPECT_EQ(Image(), ErasedWith(0x10008, {0xAA, 0xBB}));
}

TEST_F(HexLines, SegmentThatIsNoMultipleOf0x1000UsesTheFullSegmentBase) {
    // Taking only the first digit as a 64 KiB bank would put these bytes at 0x10008.
    Take({ExtendedSegmentAddress(0x1234), HexRecord(0, 0x0008, {0x5A})});
    EXPECT_EQ(Image(), ErasedWith(0x12348, {0x5A}));
}

TEST_F(HexLines, LinearAddressRecordPlacesDataAbove64KiB) {
    Take({ExtendedLinearAddress(0x0008), HexRecord(0, 0x0000, {0x11, 0x22})});
    EXPECT_EQ(Image(), ErasedWith(0x80000, {0x11, 0x22}));
}

TEST_F(HexLines, SegmentAndLinearAddressesAddUp) {
    Take({ExtendedSegmentAddress(0x2000), ExtendedLinearAddress(0x0001), HexRecord(0, 0x0010, {0x42})});
    EXPECT_EQ(Image(), ErasedWith(0x20000 + 0x10000 + 0x10, {0x42}));
}

TEST_F(HexLines, LaterRecordOverTheSameAddressesWins) {
    Take({HexRecord(0, 0x0100, {1, 2, 3, 4}), HexRecord(0, 0x0102, {9})});
    EXPECT_EQ(Image(), ErasedWith(0x100, {1, 2, 9, 4}));
}

TEST_F(HexLines, LowerCaseDigitsAreRead) {
    Take({":02abcd00fe0a7e"});
    EXPECT_EQ(Image(), ErasedWith(0xABCD, {0xFE, 0x0A}));
}

TEST_F(HexLines, RecordsOfUpTo255BytesAreWhole) {
    std::vector<std::uint8_t> data(255);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i * 3);
    }
    const std::vector<std::uint8_t> shorter(data.begin(), data.begin() + 128);
    Take({HexRecord(0, 0x0200, data), HexRecord(0, 0x1000, shorter)});
    auto expected = ErasedWith(0x200, data);
    std::copy(shorter.begin(), shorter.end(), expected.begin() + 0x1000);
    EXPECT_EQ(Image(), expected);
}

TEST_F(HexLines, StartAddressRecordsChangeNothing) {
    Take({ExtendedLinearAddress(0x0002), HexRecord(3, 0, {0x00, 0x00, 0x10, 0x00}),
          HexRecord(5, 0, {0x00, 0x00, 0x10, 0xFF})});
    EXPECT_EQ(Image(), ErasedImage(kModemFlash));
    EXPECT_EQ(state_.UpperLinearAddress, 0x0002u);
    EXPECT_EQ(state_.SegmentBase, 0u);
    EXPECT_FALSE(state_.EndOfInput);
}

TEST_F(HexLines, EndOfFileRecordEndsTheInput) {
    Take({std::string(testing::EndOfFileRecord)});
    EXPECT_TRUE(state_.EndOfInput);
}

// Placement refusals name the first address at fault and write nothing, not even the part that would fit.
struct PlacementCase {
    std::string Name;
    std::vector<std::string> Lines;
    std::string Reason;
};

class RecordPlacement : public HexLines, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(RecordPlacement, IsRefusedAndWritesNothing) {
    const std::vector<std::string>& lines = GetParam().Lines;
    Take({lines.begin(), lines.end() - 1});
    try {
        Take({lines.back()});
        FAIL() << "accepted: " << lines.back();
    } catch (const MalformedRecord& fault) {
        EXPECT_EQ(fault.what(), GetParam().Reason);
    }
    EXPECT_EQ(Image(), ErasedImage(kModemFlash));
}

const std::string kBeyondTheFlash = " (hexadecimal) lies beyond the 4 MiB flash, which ends at 3FFFFF";
const std::string kPastTheSegment = "the record runs past the end of its 64 KiB segment (offset FFFF)";

INSTANTIATE_TEST_SUITE_P(
    HexLines, RecordPlacement,
    ::testing::Values(PlacementCase{"AtTheEndOfTheFlash",
                                    {ExtendedLinearAddress(0x0040), HexRecord(0, 0x0000, {1, 2, 3})},
                                    "its data at address 400000" + kBeyondTheFlash},
                      PlacementCase{
                          "AcrossTheEndOfTheFlash",
                          {ExtendedLinearAddress(0x003C), ExtendedSegmentAddress(0x3FFF),  // base 3FFFF0
                           HexRecord(0, 0x000C, {1, 2, 3, 4, 5, 6, 7, 8})},
                          "its data at address 400000" + kBeyondTheFlash},
                      // Negative as a 32-bit signed number, and past 4 GiB with both address records: no
                      // wrap-round brings either back into the flash.
                      PlacementCase{"NegativeIn32Bits",
                                    {ExtendedLinearAddress(0x8000), HexRecord(0, 0x0010, {4, 5})},
                                    "its data at address 80000010" + kBeyondTheFlash},
                      PlacementCase{"PastFourGiB",
                                    {ExtendedLinearAddress(0xFFFF), ExtendedSegmentAddress(0xFFFF),
                                     HexRecord(0, 0xFFF0, {7})},
                                    "its data at address 1000FFFE0" + kBeyondTheFlash},
                      PlacementCase{"PastItsSegment", {HexRecord(0, 0xFFFE, {1, 2, 3})}, kPastTheSegment},
                      PlacementCase{"PastItsSegmentInSegmentMode",
                                    {ExtendedSegmentAddress(0x1000), HexRecord(0, 0xFFFF, {1, 2})},
                                    kPastTheSegment}),
    [](const auto& info) { return info.param.Name; });

TEST_F(HexLines, ARecordEndingAtItsSegmentsEndOrTheFlashsEndIsTaken) {
    Take({ExtendedLinearAddress(0x003F), HexRecord(0, 0xFFFE, {0xA1, 0xA2})});
    EXPECT_EQ(Image(), ErasedWith(0x3FFFFE, {0xA1, 0xA2}));
}

struct MalformedCase {
    std::string Line;
    std::string Reason;
};

// Names each case after its line, with every character other than a letter, a digit or ":" shown as "_".
void PrintTo(const MalformedCase& malformed, std::ostream* out) {
    std::string shown = malformed.Line.substr(0, 40);
    for (char& character : shown) {
        if (!std::isalnum(static_cast<unsigned char>(character)) && character != ':') {
            character = '_';
        }
    }
    *out << "line " << shown;
}

class MalformedHexLine : public HexLines, public ::testing::WithParamInterface<MalformedCase> {};

// A refused line leaves the image and the addressing as they were.
TEST_P(MalformedHexLine, StopsWithTheReasonAndChangesNothing) {
    Take({ExtendedSegmentAddress(0x1000), ExtendedLinearAddress(0x0001)});
    try {
        Take({GetParam().Line});
        FAIL() << "accepted: " << GetParam().Line;
    } catch (const MalformedRecord& fault) {
        EXPECT_EQ(fault.what(), GetParam().Reason);
    }
    EXPECT_EQ(Image(), ErasedImage(kModemFlash));
    EXPECT_EQ(state_.SegmentBase, 0x10000u);
    EXPECT_EQ(state_.UpperLinearAddress, 0x0001u);
    EXPECT_FALSE(state_.EndOfInput);
}

const std::vector<std::uint8_t> SixteenBytes{0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                                             0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F};

// The line's form: start code, digits, the shortest and the longest record.
INSTANTIATE_TEST_SUITE_P(
    Form, MalformedHexLine,
    ::testing::Values(
        MalformedCase{"", "the line is empty"},
        MalformedCase{"Hello, world", "the line starts with \"H\", not with the start code \":\""},
        // Without its start code this line once read as an end-of-file record.
        MalformedCase{"0100000011EE", "the line starts with \"0\", not with the start code \":\""},
        MalformedCase{std::string("\0:0100000011EE", 14),
                      "the line starts with the character code 0x00, not with the start code \":\""},
        MalformedCase{":0G00000001", "\"G\" at position 3 is not a hexadecimal digit"},
        MalformedCase{":01000Z0011", "\"Z\" at position 7 is not a hexadecimal digit"},
        MalformedCase{":0200000011 2", "\" \" at position 12 is not a hexadecimal digit"},
        MalformedCase{std::string(":01000000\0\0", 11),
                      "the character code 0x00 at position 10 is not a hexadecimal digit"},
        MalformedCase{":02000004G000FA", "\"G\" at position 10 is not a hexadecimal digit"},
        MalformedCase{":100000", "the record is too short: it needs at least 11 characters, the line has 7"},
        MalformedCase{":00000001F",
                      "the record is too short: it needs at least 11 characters, the line has 10"},
        MalformedCase{
            ":0100000011E",
            "the record holds an odd number of hexadecimal digits (11): one is missing or one is too "
            "many"},
        MalformedCase{HexRecord(0, 0, SixteenBytes) + std::string(522 - 43, '0'),
                      "the line is longer than 521 characters, the longest a record can be"}));

// The length field must match the line exactly.
INSTANTIATE_TEST_SUITE_P(
    LengthField, MalformedHexLine,
    ::testing::Values(
        // One too big would take the checksum EE as a data byte.
        MalformedCase{":0200000011EE",
                      "the length field says 2 data bytes, so the line should have 15 characters; it has 13"},
        // One too small would drop the byte BB.
        MalformedCase{":01000000AABB99",
                      "the length field says 1 data byte, so the line should have 13 characters; it has 15"},
        MalformedCase{":0300000001",
                      "the length field says 3 data bytes, so the line should have 17 characters; it has 11"},
        MalformedCase{":FF000000" + std::string(2 * 254, '0') + "01",
                      "the length field says 255 data bytes, so the line should have 521 characters; it has "
                      "519"}));

// The checksum field against the two's complement of the sum of the record's other bytes.
INSTANTIATE_TEST_SUITE_P(
    Checksum, MalformedHexLine,
    ::testing::Values(MalformedCase{":000000005A", "checksum is 5A, the record's bytes give 00"},
                      MalformedCase{":0200000012345F", "checksum is 5F, the record's bytes give B8"},
                      // One data digit changed in transit: 0F became 1F.
                      MalformedCase{":10000000000102030405060708090A0B0C0D0E1F78",
                                    "checksum is 78, the record's bytes give 68"},
                      MalformedCase{":020000040001FA", "checksum is FA, the record's bytes give F9"}));

// Types are 00 to 05, read as two digits, and the address and end records have fixed lengths.
INSTANTIATE_TEST_SUITE_P(
    TypeField, MalformedHexLine,
    ::testing::Values(
        // Read by its second digit only, this line once ended the input.
        MalformedCase{HexRecord(0x21, 0, {}), "the record type 21 is unknown: the types are 00 to 05"},
        MalformedCase{HexRecord(0x06, 0, {}), "the record type 06 is unknown: the types are 00 to 05"},
        // Read by its second digit only, this line once wrote a data byte.
        MalformedCase{HexRecord(0x10, 0, {0x42}), "the record type 10 is unknown: the types are 00 to 05"},
        MalformedCase{HexRecord(0xFF, 0, {}), "the record type FF is unknown: the types are 00 to 05"},
        MalformedCase{HexRecord(1, 0, {0x00, 0x00}),
                      "the end-of-file record (type 01) must hold 0 data bytes, its length field says 2"},
        MalformedCase{
            HexRecord(2, 0, {0x10}),
            "the extended segment address record (type 02) must hold 2 data bytes, its length field "
            "says 1"},
        MalformedCase{
            HexRecord(2, 0, {0x10, 0x00, 0x00}),
            "the extended segment address record (type 02) must hold 2 data bytes, its length field "
            "says 3"},
        MalformedCase{HexRecord(3, 0, {0x00, 0x00}),
                      "the start segment address record (type 03) must hold 4 data bytes, its length field "
                      "says 2"},
        MalformedCase{HexRecord(4, 0, {0x00, 0x01, 0x00, 0x00}),
                      "the extended linear address record (type 04) must hold 2 data bytes, its length field "
                      "says 4"},
        MalformedCase{HexRecord(5, 0, {}),
                      "the start linear address record (type 05) must hold 4 data bytes, its length field "
                      "says 0"}));

}  // namespace
}  // namespace flash410::image
