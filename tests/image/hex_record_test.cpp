// How single Intel HEX lines land in the image: addressing, record content, data outside the flash and
// malformed lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/hex_record.h"
#include "test_files.h"

namespace flash410::image {
namespace {

using testing::ErasedImage;
using testing::ExtendedLinearAddress;
using testing::ExtendedSegmentAddress;
using testing::HexRecord;

class HexLines : public ::testing::Test {
  protected:
    void Take(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) {
            InterpretHexLine(line, state_, ImageBytes(image_.data(), BinaryImageSize));
        }
    }
    // The image as expected: erased except for the given bytes from address on.
    static std::vector<std::uint8_t> ErasedWith(std::size_t address, const std::vector<std::uint8_t>& bytes) {
        std::vector<std::uint8_t> expected = ErasedImage();
        std::copy(bytes.begin(), bytes.end(), expected.begin() + static_cast<std::ptrdiff_t>(address));
        return expected;
    }

    HexReaderState state_;
    std::vector<std::uint8_t> image_ = ErasedImage();
};

TEST_F(HexLines, DataRecordLandsAtItsAddress) {
    Take({HexRecord(0, 0x0010, {1, 2, 3})});
    EXPECT_EQ(image_, ErasedWith(0x10, {1, 2, 3}));
}

TEST_F(HexLines, SegmentRecordPlacesDataAtSegmentTimesSixteen) {
    Take({ExtendedSegmentAddress(0x1000), HexRecord(0, 0x0008, {0xAA, 0xBB})});
    EXPECT_EQ(image_, ErasedWith(0x10008, {0xAA, 0xBB}));
}

TEST_F(HexLines, SegmentThatIsNoMultipleOf0x1000UsesTheFullSegmentBase) {
    // Taking only the first digit as a 64 KiB bank would put these bytes at 0x10008.
    Take({ExtendedSegmentAddress(0x1234), HexRecord(0, 0x0008, {0x5A})});
    EXPECT_EQ(image_, ErasedWith(0x12348, {0x5A}));
}

TEST_F(HexLines, LinearAddressRecordPlacesDataAbove64KiB) {
    Take({ExtendedLinearAddress(0x0008), HexRecord(0, 0x0000, {0x11, 0x22})});
    EXPECT_EQ(image_, ErasedWith(0x80000, {0x11, 0x22}));
}

TEST_F(HexLines, SegmentAndLinearAddressesAddUp) {
    Take({ExtendedSegmentAddress(0x2000), ExtendedLinearAddress(0x0001), HexRecord(0, 0x0010, {0x42})});
    EXPECT_EQ(image_, ErasedWith(0x20000 + 0x10000 + 0x10, {0x42}));
}

TEST_F(HexLines, LaterRecordOverTheSameAddressesWins) {
    Take({HexRecord(0, 0x0100, {1, 2, 3, 4}), HexRecord(0, 0x0102, {9})});
    EXPECT_EQ(image_, ErasedWith(0x100, {1, 2, 9, 4}));
}

TEST_F(HexLines, LowerCaseDigitsAreRead) {
    Take({":02abcd00fe0a00"});
    EXPECT_EQ(image_, ErasedWith(0xABCD, {0xFE, 0x0A}));
}

TEST_F(HexLines, RecordWithAWrongChecksumIsWrittenAllTheSame) {
    Take({":0200000012345F"});
    EXPECT_EQ(image_, ErasedWith(0, {0x12, 0x34}));
}

TEST_F(HexLines, LengthFieldAloneDecidesHowManyBytesAreData) {
    // The last two digits are the checksum, and a line may even stop right after the data.
    Take({":02000000AABBCC", ":0100100077"});
    EXPECT_EQ(image_, [] {
        auto expected = ErasedWith(0, {0xAA, 0xBB});
        expected[0x10] = 0x77;
        return expected;
    }());
}

TEST_F(HexLines, RecordOf65BytesIsWhole) {
    const std::vector<std::uint8_t> data(65, 0x3C);
    Take({HexRecord(0, 0x0200, data)});
    EXPECT_EQ(image_, ErasedWith(0x200, data));
}

TEST_F(HexLines, StartAddressAndUnknownRecordsChangeNothing) {
    Take({ExtendedLinearAddress(0x0002), ":0400000300001000E9", ":04000005000010FFE8", ":00000009F7"});
    EXPECT_EQ(image_, ErasedImage());
    EXPECT_EQ(state_.UpperLinearAddress, 0x0002u);
    EXPECT_EQ(state_.SegmentBase, 0u);
    EXPECT_FALSE(state_.EndOfInput);
}

TEST_F(HexLines, EndOfFileRecordEndsTheInput) {
    Take({std::string(testing::EndOfFileRecord)});
    EXPECT_TRUE(state_.EndOfInput);
}

// Data at or beyond 4 MiB has no place in the flash: it is counted, never written anywhere else.
TEST_F(HexLines, DataAtOrBeyondTheFlashIsCountedAndLeftOut) {
    Take({ExtendedLinearAddress(0x0040), HexRecord(0, 0x0000, {1, 2, 3}),  // 0x400000
          ExtendedLinearAddress(0x8000), HexRecord(0, 0x0010, {4, 5}),     // negative as 32-bit signed
          ExtendedLinearAddress(0xFFFF), HexRecord(0, 0xFFF0, std::vector<std::uint8_t>(32, 6))});
    EXPECT_EQ(image_, ErasedImage());
    EXPECT_EQ(state_.BytesOutsideImage, 3u + 2u + 32u);
}

TEST_F(HexLines, RecordAcrossTheEndOfTheFlashKeepsItsPartInside) {
    Take({ExtendedLinearAddress(0x003F), HexRecord(0, 0xFFFE, {0xA1, 0xA2, 0xA3, 0xA4})});
    EXPECT_EQ(image_, ErasedWith(0x3FFFFE, {0xA1, 0xA2}));
    EXPECT_EQ(state_.BytesOutsideImage, 2u);
}

TEST_F(HexLines, SegmentAndLinearAddressesDoNotWrapIntoTheFlash) {
    // 0xFFFF0000 + 0xFFFF0 + 0xFFFF wraps to a low address in 32 bits.
    Take({ExtendedLinearAddress(0xFFFF), ExtendedSegmentAddress(0xFFFF), HexRecord(0, 0xFFFF, {7, 7, 7})});
    EXPECT_EQ(image_, ErasedImage());
    EXPECT_EQ(state_.BytesOutsideImage, 3u);
}

struct MalformedCase {
    std::string Line;
    std::string Reason;
};

class MalformedHexLine : public HexLines, public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(MalformedHexLine, StopsWithTheReasonAndWritesNothing) {
    try {
        Take({GetParam().Line});
        FAIL() << "accepted: " << GetParam().Line;
    } catch (const MalformedRecord& fault) {
        EXPECT_EQ(fault.what(), GetParam().Reason);
    }
    EXPECT_EQ(image_, ErasedImage());
}

INSTANTIATE_TEST_SUITE_P(
    HexLines, MalformedHexLine,
    ::testing::Values(
        MalformedCase{"", "the line is empty"},
        MalformedCase{":100000", "the record is too short: it needs 9 characters, the line has 7"},
        MalformedCase{":0G00000001", "\"G\" at position 3 is not a hexadecimal digit"},
        MalformedCase{":01000Z0011", "\"Z\" at position 7 is not a hexadecimal digit"},
        MalformedCase{":0200000011 2", "\" \" at position 12 is not a hexadecimal digit"},
        MalformedCase{std::string(":01000000\0\0", 11),
                      "the character code 0x00 at position 10 is not a "
                      "hexadecimal digit"},
        MalformedCase{":040000000102030",
                      "the data record is too short: it needs 17 characters, the line "
                      "has 16"},
        MalformedCase{":42000000" + std::string(2 * 66, '0'), "the data record holds 66 bytes, more than 65"},
        MalformedCase{":FF000000" + std::string(2 * 255, '0'),
                      "the data record holds 255 bytes, more than 65"},
        MalformedCase{":02000004004",
                      "the extended linear address record is too short: it needs 13 "
                      "characters, the line has 12"},
        MalformedCase{":02000004G000FA", "\"G\" at position 10 is not a hexadecimal digit"},
        MalformedCase{":0200000210",
                      "the extended segment address record is too short: it needs 13 "
                      "characters, the line has 11"}));

}  // namespace
}  // namespace flash410::image
