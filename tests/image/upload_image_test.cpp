// The upload image written from a binary image: block layout, checksums, blank chunks, the trailer,
// short and long ".bin" files, and write failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/preparation_error.h"
#include "image/upload_image.h"
#include "platform/replacement_file.h"
#include "support/file_size_limit.h"
#include "support/temp_folder.h"
#include "test_files.h"

namespace flash410::image {
namespace {

using test_support::TempFolder;
using namespace testing;

class UploadImage : public ::testing::Test {
  protected:
    // Writes the bytes as a ".bin" file and the upload image from it; returns the upload image's bytes.
    std::vector<std::uint8_t> Write(const std::vector<std::uint8_t>& binary, FlashSize flash = kTestFlash) {
        WriteFile(folder_ / "fw.bin", binary);
        platform::ReplacementFile imageFile = platform::ReplacementFile::Create(folder_ / "fw.VXF");
        BinaryImageFile binaryFile = BinaryImageFile::OpenForReading(folder_ / "fw.bin", flash);
        const HeldUploadImage held = WriteUploadImage(binaryFile, imageFile.File(), blockBuffer_);
        result_ = held.Result;
        std::move(imageFile).PutInPlace().Close();
        const std::vector<std::uint8_t> written = ReadFile(folder_ / "fw.VXF");
        EXPECT_EQ(*held.Bytes, written);  // the image held for the upload is the file written
        return written;
    }

    static std::string AddressOf(const std::vector<std::uint8_t>& upload, std::size_t block) {
        const auto start = upload.begin() + static_cast<std::ptrdiff_t>(block * kBlockSize);
        return std::string(start, start + kBlockAddressDigits);
    }

    static std::string Trailer(const std::vector<std::uint8_t>& upload) {
        return std::string(upload.end() - kChecksumDigits, upload.end());
    }

    TempFolder folder_;
    BlockBuffer blockBuffer_{};
    UploadImageResult result_;
};

TEST_F(UploadImage, BlankImageGivesOnlyTheTrailer0000) {
    const auto upload = Write(ErasedImage());
    EXPECT_EQ(upload, (std::vector<std::uint8_t>{'0', '0', '0', '0'}));
    EXPECT_EQ(result_.BlockCount, 0);
    EXPECT_EQ(result_.ChecksumText, "0000");
}

TEST_F(UploadImage, SingleChangedByteMakesAFullBlock) {
    auto binary = ErasedImage();
    binary[0x805] = 0x12;
    const auto upload = Write(binary);
    ASSERT_EQ(upload.size(), kBlockSize + kChecksumDigits);
    EXPECT_EQ(AddressOf(upload, 0), "000800");
    std::vector<std::uint8_t> data(upload.begin() + kBlockAddressDigits, upload.begin() + kBlockSize - 1);
    std::vector<std::uint8_t> expectedData(kChunkSize, 0xFF);
    expectedData[5] = 0x12;
    EXPECT_EQ(data, expectedData);
    // "000800" is 5 x 0x30 + 0x38 = 0x128; 1023 x 0xFF = 0x3FB01; plus 0x12: 0x3FC3B.
    EXPECT_EQ(upload[kBlockSize - 1], 0x3B);
    // The image sums to 4194304 x 0xFF - 0xFF + 0x12, which is 0xFF13 modulo 65536.
    EXPECT_EQ(Trailer(upload), "FF13");
    EXPECT_EQ(result_.ChecksumText, "FF13");
    EXPECT_EQ(result_.BlockCount, 1);
}

TEST_F(UploadImage, AllZeroFirstChunkHasBlockChecksum0x20) {
    auto binary = ErasedImage();
    std::fill(binary.begin(), binary.begin() + kChunkSize, 0x00);
    const auto upload = Write(binary);
    ASSERT_EQ(upload.size(), kBlockSize + kChecksumDigits);
    EXPECT_EQ(AddressOf(upload, 0), "000000");
    EXPECT_EQ(upload[kBlockSize - 1], 0x20);
    // 1024 bytes fewer of 0xFF: minus 0x3FC00, which is 0x0400 modulo 65536.
    EXPECT_EQ(Trailer(upload), "0400");
}

TEST_F(UploadImage, LastChunkHasTheAddress3FFC00) {
    auto binary = ErasedImage(kModemFlash);
    binary.back() = 0x00;
    const auto upload = Write(binary, kModemFlash);
    ASSERT_EQ(result_.BlockCount, 1);
    EXPECT_EQ(AddressOf(upload, 0), "3FFC00");
}

TEST_F(UploadImage, SevenChangedChunksGiveSevenBlocksIn7221Bytes) {
    auto binary = ErasedImage();
    for (std::size_t chunk = 0; chunk < 7; ++chunk) {
        binary[chunk * kChunkSize + 100 + chunk] = static_cast<std::uint8_t>(chunk);
    }
    const auto upload = Write(binary);
    EXPECT_EQ(upload.size(), 7221u);
    EXPECT_EQ(result_.BlockCount, 7);
    const std::vector<std::string> expected{"000000", "000400", "000800", "000C00",
                                            "001000", "001400", "001800"};
    for (std::size_t block = 0; block < expected.size(); ++block) {
        EXPECT_EQ(AddressOf(upload, block), expected[block]);
        EXPECT_EQ(upload[block * kBlockSize + kBlockAddressDigits + 100 + block], block);
    }
}

// Only the chunks that records were written into are looked at. A record across a chunk's end makes
// both blocks, one of erased bytes makes none, and the checksum counts every chunk not looked at as
// erased: the same image as from a ".bin" file of the same bytes, whose every chunk is looked at.
TEST_F(UploadImage, ChunksThatNothingWroteAreBlankWithoutBeingLookedAt) {
    BinaryImageFile written = BinaryImageFile::CreateErased(folder_ / "fw.BIN", kTestFlash);
    written.Image().Write(0x7FE, std::vector<std::uint8_t>{1, 2, 3, 4});
    written.Image().Write(0x2000, std::vector<std::uint8_t>{0xFF, 0xFF});
    written.Image().Write(kTestFlash.Bytes() - 1, std::vector<std::uint8_t>{0x00});
    platform::ReplacementFile imageFile = platform::ReplacementFile::Create(folder_ / "records.VXF");
    const HeldUploadImage fromRecords = WriteUploadImage(written, imageFile.File(), blockBuffer_);

    auto binary = ErasedImage();
    std::copy_n(std::vector<std::uint8_t>{1, 2, 3, 4}.begin(), 4, binary.begin() + 0x7FE);
    binary.back() = 0x00;
    const auto fromBinFile = Write(binary);
    EXPECT_EQ(*fromRecords.Bytes, fromBinFile);
    EXPECT_EQ(fromRecords.Result.BlockCount, 3);
    EXPECT_EQ(fromRecords.Result.ChecksumText, result_.ChecksumText);
    EXPECT_EQ(AddressOf(fromBinFile, 1), "000800");
}

TEST_F(UploadImage, BlockBufferEndsWithTheChecksumDigitsAndTheLastChunk) {
    auto binary = ErasedImage();
    binary[0] = 0;
    binary[kTestFlash.Bytes() - kChunkSize + 1] = 0x7E;  // the last chunk, non-blank
    Write(binary);
    EXPECT_EQ(std::string(blockBuffer_.begin(), blockBuffer_.begin() + 4), result_.ChecksumText);
    std::vector<std::uint8_t> data(blockBuffer_.begin() + kBlockAddressDigits, blockBuffer_.end() - 1);
    EXPECT_EQ(data, std::vector<std::uint8_t>(binary.end() - kChunkSize, binary.end()));
}

TEST_F(UploadImage, ShortBinFileCountsTheMissingBytesAsErased) {
    const auto upload = Write({0x00});
    ASSERT_EQ(result_.BlockCount, 1);
    EXPECT_EQ(upload[kBlockAddressDigits], 0x00);
    EXPECT_EQ(upload[kBlockAddressDigits + 1], 0xFF);
    EXPECT_EQ(upload[kBlockAddressDigits + kChunkSize - 1], 0xFF);
    EXPECT_EQ(result_.ChecksumText, "FF01");
}

TEST_F(UploadImage, BytesOfALongBinFileBeyondTheFlashAreCountedAndLeftOut) {
    auto binary = ErasedImage();
    binary.resize(kTestFlash.Bytes() + 10, 0x00);
    WriteFile(folder_ / "long.bin", binary);
    EXPECT_EQ(BinaryImageFile::OpenForReading(folder_ / "long.bin", kTestFlash).BytesBeyondImage(), 10u);
    EXPECT_EQ(Write(binary), (std::vector<std::uint8_t>{'0', '0', '0', '0'}));
}

TEST_F(UploadImage, UploadImageThatCannotBeWrittenIsNamed) {
    auto binary = ErasedImage();
    binary[0] = 0;
    WriteFile(folder_ / "fw.bin", binary);
    const test_support::LimitedRun run = test_support::RunWithFileSizeLimit(1000, [&](std::string& report) {
        platform::ReplacementFile imageFile = platform::ReplacementFile::Create(folder_ / "fw.VXF");
        BinaryImageFile binaryFile = BinaryImageFile::OpenForReading(folder_ / "fw.bin", kTestFlash);
        try {
            WriteUploadImage(binaryFile, imageFile.File(), blockBuffer_);
        } catch (const PreparationError& failure) {
            report = failure.what();
            return 1;
        }
        return 0;
    });
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Report, "Cannot write " + (folder_ / "fw.VXF").string() + ": File too large");
}

TEST(UploadImageHelpers, BlockChecksumSumsTheFirst1030BytesModulo256) {
    BlockBuffer buffer;
    buffer.fill(1);
    buffer.back() = 0xFF;  // the checksum byte itself does not count
    EXPECT_EQ(BlockChecksum(buffer), 1030 % 256);
    buffer[0] = 0xFB;
    EXPECT_EQ(BlockChecksum(buffer), (1029 + 0xFB) % 256);
}

TEST(UploadImageHelpers, CharCodeOfOneCharacterOnly) {
    EXPECT_EQ(CharCode("A"), 0x41);
    EXPECT_EQ(CharCode("\xFF"), 0xFF);
    EXPECT_EQ(CharCode(""), 0);
    EXPECT_EQ(CharCode("AB"), 0);
}

}  // namespace
}  // namespace flash410::image
