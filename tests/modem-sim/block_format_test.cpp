// The block the modem expects, built from known figures.
#include "modem_sim/block_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace modemsim {
namespace {

TEST(BlockFormatTest, ZeroBlockAtZeroSumsToSixTimesTheDigitZero) {
    const std::vector<std::uint8_t> zeros(kBlockDataSize, 0);
    const BlockBytes block = EncodeBlock(0, BlockData(zeros.data(), kBlockDataSize));
    EXPECT_EQ(std::string(block.begin(), block.begin() + 6), "000000");
    EXPECT_EQ(block[kBlockSize - 1], 0x20);
    EXPECT_EQ(CheckBlock(block, std::nullopt).verdict, BlockVerdict::kGood);
}

TEST(BlockFormatTest, AddressesAreSixUpperCaseDigits) {
    const std::vector<std::uint8_t> data(kBlockDataSize, 0xAB);
    const BlockBytes last = EncodeBlock(0x3FFC00, BlockData(data.data(), kBlockDataSize));
    EXPECT_EQ(std::string(last.begin(), last.begin() + 6), "3FFC00");
    const BlockCheck check = CheckBlock(last, 0x3FFC00);
    EXPECT_EQ(check.verdict, BlockVerdict::kGood);
    EXPECT_EQ(check.address, 0x3FFC00u);
}

TEST(BlockFormatTest, EncodingRefusesAddressesNoBlockCanHave) {
    const std::vector<std::uint8_t> data(kBlockDataSize, 0);
    EXPECT_THROW(EncodeBlock(0x200, BlockData(data.data(), kBlockDataSize)), std::invalid_argument);
    EXPECT_THROW(EncodeBlock(kFlashSize, BlockData(data.data(), kBlockDataSize)), std::invalid_argument);
}

}  // namespace
}  // namespace modemsim
