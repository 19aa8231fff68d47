// The modem stores only sound blocks in order; anything else is asked for again and leaves the flash
// as it was.
#include <gtest/gtest.h>

#include "modem_fixture.h"

namespace modemsim::testing {
namespace {

struct BadBlock {
    const char* name;
    Bytes block;
};

void PrintTo(const BadBlock& bad, std::ostream* out) {
    *out << bad.name;
}

Bytes WithChecksumOffByOne(Bytes block) {
    block.back() = static_cast<std::uint8_t>(block.back() + 1);
    return block;
}

class StrictnessTest : public ModemTest, public ::testing::WithParamInterface<BadBlock> {};

// A good block at 0x000800 comes first, so that "lower" has a meaning.
TEST_P(StrictnessTest, RefusesTheBlockWithAResendRequest) {
    Start();
    OpenUpload();
    EXPECT_EQ(SendBlock("000800", Pattern(1)), "SEND BLOCK\r\n");
    EXPECT_EQ(SendBlock(GetParam().block), "RESEND BLOCK\r\n");
    // The PC's next block is taken as usual.
    EXPECT_EQ(SendBlock("000C00", Pattern(3)), "SEND BLOCK\r\n");

    const UploadReport report = CloseAndReport();
    EXPECT_EQ(report.badBlocks, 1);
    EXPECT_EQ(report.resendsAsked, 1);
    EXPECT_EQ(report.blocksStored, 2);
    const Bytes expected = FlashWith({{0x000800, Pattern(1)}, {0x000C00, Pattern(3)}});
    const Bytes flash = modem().Flash();
    EXPECT_TRUE(flash == expected) << "first difference " << FirstDifference(flash, expected);
}

INSTANTIATE_TEST_SUITE_P(
    BadBlocks, StrictnessTest,
    ::testing::Values(BadBlock{"WrongChecksum", WithChecksumOffByOne(BuildBlock("000C00", Pattern(2)))},
                      BadBlock{"LowerCaseAddress", BuildBlock("000c00", Pattern(2))},
                      BadBlock{"NonHexAddress", BuildBlock("00G000", Pattern(2))},
                      BadBlock{"BlankInAddress", BuildBlock(" 00C00", Pattern(2))},
                      BadBlock{"AddressNotAMultipleOf400", BuildBlock("000C10", Pattern(2))},
                      BadBlock{"AddressJustOutsideTheFlash", BuildBlock("400000", Pattern(2))},
                      BadBlock{"AddressFarOutsideTheFlash", BuildBlock("FFFC00", Pattern(2))},
                      BadBlock{"AddressBelowTheLastStored", BuildBlock("000400", Pattern(2))}),
    [](const ::testing::TestParamInfo<BadBlock>& info) { return std::string(info.param.name); });

TEST_F(ModemTest, ABlockThatStopsMidwayIsAskedForAgain) {
    SimConfig config;
    config.blockByteTimeout = std::chrono::milliseconds(200);
    Start(config);
    OpenUpload();
    const Bytes block = BuildBlock("000400", Pattern(5));
    pc().Send(Bytes(block.begin(), block.begin() + 500));
    EXPECT_EQ(pc().ReadLine(), "RESEND BLOCK\r\n");
    EXPECT_EQ(SendBlock(block), "SEND BLOCK\r\n");

    const UploadReport report = CloseAndReport();
    EXPECT_EQ(report.incompleteBlocks, 1);
    EXPECT_EQ(report.badBlocks, 1);
    EXPECT_EQ(report.blocksStored, 1);
    EXPECT_TRUE(modem().Flash() == FlashWith({{0x000400, Pattern(5)}}));
}

TEST_F(ModemTest, BlocksMayJumpOverBlankFlash) {
    Start();
    OpenUpload();
    EXPECT_EQ(SendBlock("000000", Pattern(1)), "SEND BLOCK\r\n");
    EXPECT_EQ(SendBlock("2A0400", Pattern(2)), "SEND BLOCK\r\n");
    EXPECT_EQ(CloseAndReport().blocksStored, 2);
    EXPECT_TRUE(modem().Flash() == FlashWith({{0x000000, Pattern(1)}, {0x2A0400, Pattern(2)}}));
}

}  // namespace
}  // namespace modemsim::testing
