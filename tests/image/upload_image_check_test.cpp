// A ready upload image is checked before it is offered: whole blocks and trailer, block addresses,
// block checksums, the image checksum, and at least one block. Each fault names the block and what is
// wrong with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/preparation_error.h"
#include "image/upload_image.h"
#include "image/upload_image_check.h"
#include "platform/hex_text.h"
#include "platform/replacement_file.h"
#include "support/temp_folder.h"
#include "test_files.h"

namespace flash410::image {
namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;
using namespace testing;

using Bytes = std::vector<std::uint8_t>;

class UploadImageCheck : public ::testing::Test {
  protected:
    UploadImageCheck() {
        // Three blocks: 000000, 000C00 and 3FFC00.
        Bytes flash = ErasedImage(kModemFlash);
        for (std::size_t at = 0; at < kChunkSize; ++at) {
            flash[at] = static_cast<std::uint8_t>(at);
            flash[0xC00 + at] = static_cast<std::uint8_t>(at * 3);
            flash[kModemFlash.Bytes() - kChunkSize + at] = 0x00;
        }
        WriteFile(folder_ / "fw.bin", flash);
        BinaryImageFile binary = BinaryImageFile::OpenForReading(folder_ / "fw.bin", kModemFlash);
        platform::ReplacementFile written = platform::ReplacementFile::Create(folder_ / "written.vxf");
        BlockBuffer buffer{};
        written_ = WriteUploadImage(binary, written.File(), buffer).Result;
        std::move(written).PutInPlace().Close();
        image_ = ReadFile(folder_ / "written.vxf");
    }

    UploadImageResult Check(const Bytes& vxf) {
        WriteFile(chosen_, vxf);
        const HeldUploadImage held = ReadCheckedUploadImage(chosen_, kModemFlash);
        EXPECT_EQ(*held.Bytes, vxf);  // what is sent is what was checked
        return held.Result;
    }

    std::string Refusal(const Bytes& vxf) {
        try {
            Check(vxf);
        } catch (const PreparationError& failure) {
            return failure.what();
        }
        return "no refusal";
    }

    // What a refusal of block number (from 1) says, with the address as it stands in the file.
    std::string BlockFault(int number, const std::string& address, const std::string& reason) const {
        return "Cannot use " + chosen_.string() + ", block " + std::to_string(number) + " (address " +
               address + "): " + reason;
    }

    static Bytes::iterator BlockAt(Bytes& vxf, std::size_t index) {
        return vxf.begin() + static_cast<std::ptrdiff_t>(index * kBlockSize);
    }

    // Puts a new address into a block and gives it the checksum byte that goes with it, so that the
    // address is the only fault.
    static void Readdress(Bytes& vxf, std::size_t index, const std::string& address) {
        std::copy(address.begin(), address.end(), BlockAt(vxf, index));
        BlockBuffer block;
        std::copy_n(BlockAt(vxf, index), kBlockSize, block.begin());
        *(BlockAt(vxf, index) + kBlockSize - 1) = BlockChecksum(block);
    }

    TempFolder folder_;
    fs::path chosen_ = folder_ / "fw.vxf";
    UploadImageResult written_;
    Bytes image_;
};

TEST_F(UploadImageCheck, AnImageAsWrittenPassesWithItsBlockCountAndChecksum) {
    ASSERT_EQ(image_.size(), 3 * kBlockSize + kChecksumDigits);
    const UploadImageResult checked = Check(image_);
    EXPECT_EQ(checked.BlockCount, 3);
    EXPECT_EQ(checked.ChecksumText, written_.ChecksumText);
}

TEST_F(UploadImageCheck, AFlippedBitNamesItsBlockAndTheChecksums) {
    Bytes vxf = image_;
    vxf[kBlockSize + kBlockAddressDigits + 100] ^= 0x04;
    BlockBuffer block;
    std::copy_n(BlockAt(vxf, 1), kBlockSize, block.begin());
    EXPECT_EQ(Refusal(vxf), BlockFault(2, "000C00",
                                       "the checksum byte is " + platform::HexNumber(block.back(), 2) +
                                           " (hexadecimal), the block's bytes give " +
                                           platform::HexNumber(BlockChecksum(block), 2)));
}

TEST_F(UploadImageCheck, ACutFileIsRefusedByItsSize) {
    Bytes vxf(image_.begin(), image_.end() - 10);
    EXPECT_EQ(Refusal(vxf),
              "Cannot use " + chosen_.string() + ": its " + std::to_string(vxf.size()) +
                  " bytes are not whole blocks of 1031 bytes and the 4-byte trailer, so the file "
                  "is cut short or damaged");
    EXPECT_NE(Refusal(Bytes(image_.begin(), image_.begin() + kBlockSize)), "no refusal");
}

TEST_F(UploadImageCheck, AMissingBlockShowsInTheImageChecksum) {
    Bytes vxf = image_;
    vxf.erase(BlockAt(vxf, 1), BlockAt(vxf, 2));
    const std::string refusal = Refusal(vxf);
    EXPECT_EQ(refusal.rfind("Cannot use " + chosen_.string() + ": the trailer gives the image checksum " +
                                written_.ChecksumText + ", the blocks give ",
                            0),
              0u)
        << refusal;
}

TEST_F(UploadImageCheck, AddressesMustBeUpperCaseHexadecimalDigits) {
    Bytes vxf = image_;
    Readdress(vxf, 1, "000c00");
    EXPECT_EQ(Refusal(vxf), BlockFault(2, "000c00", "the address is not six upper-case hexadecimal digits"));
    Readdress(vxf, 1, "\r00C00");
    EXPECT_EQ(Refusal(vxf),
              BlockFault(2, "\\x0D00C00", "the address is not six upper-case hexadecimal digits"));
}

TEST_F(UploadImageCheck, AddressesMustBeWholeKibibytesInsideTheFlash) {
    Bytes vxf = image_;
    Readdress(vxf, 1, "000C01");
    EXPECT_EQ(Refusal(vxf), BlockFault(2, "000C01", "the address is not a multiple of 400 (hexadecimal)"));
    vxf = image_;
    Readdress(vxf, 2, "400000");
    EXPECT_EQ(Refusal(vxf), BlockFault(3, "400000", "the address lies beyond the 4 MiB flash"));
}

TEST_F(UploadImageCheck, AddressesMustRiseFromBlockToBlock) {
    Bytes vxf = image_;
    Readdress(vxf, 1, "000000");
    EXPECT_EQ(Refusal(vxf),
              BlockFault(2, "000000", "the address does not come after the previous block's, 000000"));
    vxf = image_;
    std::swap_ranges(BlockAt(vxf, 0), BlockAt(vxf, 1), BlockAt(vxf, 1));
    EXPECT_EQ(Refusal(vxf),
              BlockFault(2, "000000", "the address does not come after the previous block's, 000C00"));
}

TEST_F(UploadImageCheck, TheTrailerMustBeFourUpperCaseDigitsGivingTheImageChecksum) {
    Bytes vxf = image_;
    vxf.back() = 'g';
    EXPECT_EQ(Refusal(vxf), "Cannot use " + chosen_.string() + ": the trailer \"" +
                                written_.ChecksumText.substr(0, 3) +
                                "g\" is not four upper-case hexadecimal digits");
    vxf.back() = written_.ChecksumText.back() == '0' ? '1' : '0';
    const std::string changed(vxf.end() - 4, vxf.end());
    EXPECT_EQ(Refusal(vxf), "Cannot use " + chosen_.string() + ": the trailer gives the image checksum " +
                                changed + ", the blocks give " + written_.ChecksumText);
}

TEST_F(UploadImageCheck, AnImageWithoutABlockHoldsNoDataForTheFlash) {
    EXPECT_EQ(Refusal(Bytes{'0', '0', '0', '0'}), chosen_.string() + " holds no data for the flash");
}

TEST_F(UploadImageCheck, MoreBlocksThanTheFlashHoldsAreRefusedWithoutReadingThem) {
    WriteFile(chosen_, "");
    fs::resize_file(chosen_, (kModemFlash.Chunks() + 1) * kBlockSize + kChecksumDigits);
    try {
        ReadCheckedUploadImage(chosen_, kModemFlash);
        FAIL() << "took an image larger than the flash";
    } catch (const PreparationError& failure) {
        EXPECT_EQ(std::string(failure.what()),
                  "Cannot use " + chosen_.string() +
                      ": it holds 4097 blocks, more than the 4096 the flash has room for");
    }
}

}  // namespace
}  // namespace flash410::image
