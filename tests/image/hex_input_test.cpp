// Converting Intel HEX files into the binary image file: the erased image, where reading stops, a
// second conversion, and failures that name the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "image/hex_input.h"
#include "image/preparation_error.h"
#include "support/missing_file_reason.h"
#include "support/temp_folder.h"
#include "test_files.h"

namespace flash410::image {
namespace {

using test_support::MissingFileReason;
using test_support::MissingFolderReason;
using test_support::TempFolder;
using namespace testing;

class HexInput : public ::testing::Test {
  protected:
    // Converts the text as the two preparation steps do and returns the binary image file's bytes.
    std::vector<std::uint8_t> Convert(const std::string& hexText) {
        WriteFile(hexFile_, hexText);
        BinaryImageFile binaryFile = EmptyBinaryFile(binaryFile_, kTestFlash);
        ReadHexInput(hexFile_, binaryFile, state_);
        binaryFile.Close();
        return ReadFile(binaryFile_);
    }

    std::string ConversionFailure(const std::string& hexText) {
        try {
            Convert(hexText);
        } catch (const PreparationError& failure) {
            return failure.what();
        }
        return "no failure";
    }

    TempFolder folder_;
    std::filesystem::path hexFile_ = folder_ / "fw.hex";
    std::filesystem::path binaryFile_ = folder_ / "fw.BIN";
    HexReaderState state_;
};

TEST_F(HexInput, EmptyingReplacesAnExistingFileWithTheErasedImage) {
    WriteFile(binaryFile_, std::vector<std::uint8_t>(kTestFlash.Bytes() + 12345, 0x00));
    EmptyBinaryFile(binaryFile_, kTestFlash).Close();
    EXPECT_EQ(ReadFile(binaryFile_), ErasedImage());
}

TEST_F(HexInput, OnlyAnEndOfFileRecordGivesTheErasedImage) {
    EXPECT_EQ(Convert(HexText({std::string(EndOfFileRecord)}, "\n")), ErasedImage());
    EXPECT_TRUE(state_.EndOfInput);
}

TEST_F(HexInput, NothingAfterTheEndOfFileRecordIsRead) {
    const auto image = Convert(HexText({HexRecord(0, 0, {1}), std::string(EndOfFileRecord),
                                        HexRecord(0, 1, {2}), "garbage that would not convert", ""},
                                       "\n"));
    auto expected = ErasedImage();
    expected[0] = 1;
    EXPECT_EQ(image, expected);
    EXPECT_TRUE(state_.EndOfInput);
}

TEST_F(HexInput, CarriageReturnLineFeedAndLineFeedFilesGiveTheSameImage) {
    const std::vector<std::string> lines{ExtendedLinearAddress(3), HexRecord(0, 0x1234, {9, 8, 7}),
                                         std::string(EndOfFileRecord)};
    const auto fromLineFeeds = Convert(HexText(lines, "\n"));
    EXPECT_NE(fromLineFeeds, ErasedImage());
    EXPECT_EQ(Convert(HexText(lines)), fromLineFeeds);
}

TEST_F(HexInput, InputLongerThanOneReadIsWholeAndInPlace) {
    // About 370 KB of text, more than the reader takes in one piece.
    std::mt19937 random(410);
    auto expected = ErasedImage();
    std::vector<std::string> lines;
    for (std::uint32_t address = 0; address < 0x20000; address += 16) {
        if (address % 0x10000 == 0) {
            lines.push_back(ExtendedLinearAddress(static_cast<std::uint16_t>(2 + address / 0x10000)));
        }
        std::vector<std::uint8_t> data(16);
        for (std::uint8_t& byte : data) {
            byte = static_cast<std::uint8_t>(random());
        }
        std::copy(data.begin(), data.end(), expected.begin() + 0x20000 + address);
        lines.push_back(HexRecord(0, static_cast<std::uint16_t>(address), data));
    }
    lines.emplace_back(EndOfFileRecord);
    EXPECT_EQ(Convert(HexText(lines)), expected);
}

TEST_F(HexInput, RecordsOf255BytesConvertWhole) {
    // Lines of 521 characters, the longest record, with both kinds of line end.
    auto expected = ErasedImage();
    std::vector<std::string> lines{ExtendedLinearAddress(0x0001)};
    for (std::uint16_t record = 0; record < 4; ++record) {
        std::vector<std::uint8_t> data(255);
        for (std::size_t i = 0; i < data.size(); ++i) {
            data[i] = static_cast<std::uint8_t>(i + record * 17);
        }
        const std::uint16_t address = static_cast<std::uint16_t>(record * 255);
        std::copy(data.begin(), data.end(), expected.begin() + 0x10000 + address);
        lines.push_back(HexRecord(0, address, data));
    }
    lines.emplace_back(EndOfFileRecord);
    EXPECT_EQ(Convert(HexText(lines)), expected);
    EXPECT_EQ(Convert(HexText(lines, "\n")), expected);
}

TEST_F(HexInput, SecondConversionStartsWithNoSegmentAndUpperAddressZero) {
    // A state left over as if reading had already ended: the first file must still be read whole.
    state_ = HexReaderState{0x12340, 0x0030, true};
    auto firstExpected = ErasedImage();
    firstExpected[0x30000] = 0xEE;
    firstExpected[0x33000] = 0x1B;
    EXPECT_EQ(
        Convert(HexText({ExtendedLinearAddress(0x0001), testing::ExtendedSegmentAddress(0x2000),
                         HexRecord(0, 0, {0xEE}), HexRecord(0, 0x3000, {0x1B}), std::string(EndOfFileRecord)},
                        "\n")),
        firstExpected);

    const auto image =
        Convert(HexText({HexRecord(0, 0x0004, {0x5C, 0x5D}), std::string(EndOfFileRecord)}, "\n"));
    auto expected = ErasedImage();
    expected[4] = 0x5C;
    expected[5] = 0x5D;
    EXPECT_EQ(image, expected);
}

TEST_F(HexInput, MalformedLineStopsWithTheFileAndLineNumber) {
    EXPECT_EQ(ConversionFailure(HexText({HexRecord(0, 0, {1}), HexRecord(0, 1, {2}), ""})),
              "Cannot convert " + hexFile_.string() + ", line 3: the line is empty");
    EXPECT_EQ(ConversionFailure(HexText({HexRecord(0, 0, {1}), ":0300000001"}, "\n")),
              "Cannot convert " + hexFile_.string() +
                  ", line 2: the length field says 3 data bytes, so the line should have 17 characters; it "
                  "has 11");
}

struct RefusedFile {
    std::string Name;
    std::string Text;
    // What follows "Cannot convert FILE, ".
    std::string Failure;
};

void PrintTo(const RefusedFile& file, std::ostream* out) {
    *out << file.Name;
}

class RefusedHexFile : public HexInput, public ::testing::WithParamInterface<RefusedFile> {};

TEST_P(RefusedHexFile, NamesTheFileTheLineAndTheFault) {
    EXPECT_EQ(ConversionFailure(GetParam().Text),
              "Cannot convert " + hexFile_.string() + ", " + GetParam().Failure);
}

const std::string FirstRecord = HexRecord(0, 0x0000, {0x10, 0x20, 0x30});
const std::string SecondRecord = HexRecord(0, 0x0003, {0x40});
const std::string CutShort =
    "the file ends without an end-of-file record (type 01): it is most likely cut short";

INSTANTIATE_TEST_SUITE_P(
    HexInput, RefusedHexFile,
    ::testing::Values(
        RefusedFile{"TextFileRenamed", "Notes on the firmware\r\nversion 2\r\n",
                    "line 1: the line starts with \"N\", not with the start code \":\""},
        RefusedFile{"EmptyFile", "", "line 1: the file is empty"},
        RefusedFile{"NoEndRecord", HexText({FirstRecord, SecondRecord}), "line 2: " + CutShort},
        RefusedFile{"NoEndRecordNorLastLineEnd", FirstRecord + "\n" + SecondRecord, "line 2: " + CutShort},
        RefusedFile{"CutInsideALine", FirstRecord + "\r\n" + SecondRecord.substr(0, 7),
                    "line 2: the record is too short: it needs at least 11 characters, the line has 7"},
        RefusedFile{"CutInsideTheData", FirstRecord + "\r\n" + FirstRecord.substr(0, 13),
                    "line 2: the length field says 3 data bytes, so the line should have 17 characters; it "
                    "has 13"},
        RefusedFile{"WrongChecksum",
                    HexText({FirstRecord, ":0100030041BC", std::string(EndOfFileRecord)}, "\n"),
                    "line 2: checksum is BC, the record's bytes give BB"},
        // Taken as an end record by its second digit, this line once dropped the rest of the file.
        RefusedFile{
            "TypeReadAsTwoDigits",
            HexText({FirstRecord, HexRecord(0x21, 0, {}), SecondRecord, std::string(EndOfFileRecord)}, "\n"),
            "line 2: the record type 21 is unknown: the types are 00 to 05"},
        RefusedFile{
            "LineLongerThanAnyRecord",
            HexText({FirstRecord, SecondRecord + std::string(1000, '0'), std::string(EndOfFileRecord)}, "\n"),
            "line 2: the line is longer than 521 characters, the longest a record can be"}),
    [](const ::testing::TestParamInfo<RefusedFile>& info) { return info.param.Name; });

// The message of the failure that reading input stops with.
std::string ReadingFailure(const std::filesystem::path& input) {
    TempFolder folder;
    BinaryImageFile binaryFile = EmptyBinaryFile(folder / "fw.BIN", kTestFlash);
    HexReaderState state;
    try {
        ReadHexInput(input, binaryFile, state);
    } catch (const PreparationError& failure) {
        return failure.what();
    }
    return "no failure";
}

TEST(HexInputFailures, InputThatCannotBeReadIsNamedWithTheReason) {
    TempFolder folder;
    EXPECT_EQ(ReadingFailure(folder / "missing.hex"),
              "Cannot open " + (folder / "missing.hex").string() + ": " + MissingFileReason());
    EXPECT_EQ(ReadingFailure(folder.path()), "Cannot read " + folder.path().string() + ": Is a directory");
}

TEST(HexInputFailures, BinaryFileThatCannotBeCreatedIsNamed) {
    TempFolder folder;
    const auto binaryName = folder / "no-such-folder" / "fw.BIN";
    try {
        EmptyBinaryFile(binaryName, kTestFlash);
        FAIL() << "created a file in a missing folder";
    } catch (const PreparationError& failure) {
        EXPECT_EQ(failure.what(), "Cannot create " + binaryName.string() + ": " + MissingFolderReason());
    }
}

// The binary image goes into place by a rename, which as root would replace the device node itself.
TEST(HexInputFailures, ABinaryFileNamedLikeADeviceIsRefusedAndTheDeviceStays) {
    try {
        EmptyBinaryFile("/dev/full", kTestFlash);
        FAIL() << "took /dev/full for a binary image";
    } catch (const PreparationError& failure) {
        EXPECT_STREQ(failure.what(), "Cannot create /dev/full: Is a device, not a regular file");
    }
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

}  // namespace
}  // namespace flash410::image
