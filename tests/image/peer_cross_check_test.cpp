// The binary image must equal, byte for byte, what srec_cat makes of the same Intel HEX file. The files
// use records of types 00, 01, 02 and 04 only, data records of 1 to 255 bytes, segments that are multiples of
// 0x1000, and an address record of the other kind set to zero before switching kinds: srec_cat replaces one
// base with the other where this reader adds both, and for such files both readings agree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "image/hex_input.h"
#include "support/temp_folder.h"
#include "test_files.h"

namespace flash410::image {
namespace {

using namespace testing;

constexpr const char* SrecCat = FLASH410_SREC_CAT;

// Mostly short records as compilers write them, and some up to the longest a record can be.
std::uint32_t RecordLength(std::mt19937& random) {
    switch (random() % 8) {
        case 0:
            return 255;
        case 1:
            return 33 + random() % 222;
        default:
            return 1 + random() % 32;
    }
}

// Random records that never overlap and never cross a 64 KiB boundary of their base.
std::string GenerateHexFile(std::mt19937& random, int recordCount) {
    std::vector<bool> used(kModemFlash.Bytes(), false);
    std::string text;
    bool segmentMode = false;
    for (int record = 0; record < recordCount; ++record) {
        const bool useSegment = random() % 2 == 0;
        if (useSegment != segmentMode) {
            text += (useSegment ? ExtendedLinearAddress(0) : ExtendedSegmentAddress(0)) + "\n";
            segmentMode = useSegment;
        }
        const std::uint32_t base = useSegment ? (random() % 16) * 0x10000 : (random() % 64) * 0x10000;
        text += (useSegment ? ExtendedSegmentAddress(static_cast<std::uint16_t>(base >> 4))
                            : ExtendedLinearAddress(static_cast<std::uint16_t>(base >> 16))) +
                "\n";
        // Several records per address record, some of them adjacent.
        std::uint32_t offset = random() % 0x10000;
        for (int run = static_cast<int>(random() % 8); run >= 0; --run) {
            const std::uint32_t length = RecordLength(random);
            if (offset + length > 0x10000) {
                break;
            }
            bool free = true;
            for (std::uint32_t at = base + offset; at < base + offset + length; ++at) {
                free = free && !used[at];
            }
            if (free) {
                std::vector<std::uint8_t> data(length);
                for (std::uint32_t i = 0; i < length; ++i) {
                    data[i] = static_cast<std::uint8_t>(random());
                    used[base + offset + i] = true;
                }
                text += HexRecord(0, static_cast<std::uint16_t>(offset), data) + "\n";
            }
            offset += length + (random() % 3 == 0 ? random() % 64 : 0);
        }
    }
    return text + std::string(testing::EndOfFileRecord) + "\n";
}

TEST(PeerCrossCheck, BinaryImageEqualsWhatSrecCatMakesOfTheSameFile) {
    if (std::string(SrecCat).empty()) {
        GTEST_SKIP() << "srec_cat (Debian package srecord) is not installed";
    }
    test_support::TempFolder folder;
    for (const unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        std::mt19937 random(seed);
        const auto hexFile = folder / ("fw" + std::to_string(seed) + ".hex");
        const auto peerFile = folder / ("peer" + std::to_string(seed) + ".bin");
        testing::WriteFile(hexFile, GenerateHexFile(random, 50 + static_cast<int>(seed) * 100));

        const std::string command = std::string(SrecCat) + " '" + hexFile.string() +
                                    "' -Intel -fill 0xFF 0 0x400000 -o '" + peerFile.string() + "' -Binary";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;

        BinaryImageFile binaryFile = EmptyBinaryFile(folder / "fw.BIN", kModemFlash);
        HexReaderState state;
        ReadHexInput(hexFile, binaryFile, state);
        binaryFile.Close();
        const auto ours = testing::ReadFile(folder / "fw.BIN");
        const auto peers = testing::ReadFile(peerFile);
        ASSERT_EQ(peers.size(), kModemFlash.Bytes());
        EXPECT_TRUE(ours == peers) << "seed " << seed << ": the images differ";
        EXPECT_NE(ours, testing::ErasedImage(kModemFlash));
    }
}

}  // namespace
}  // namespace flash410::image
