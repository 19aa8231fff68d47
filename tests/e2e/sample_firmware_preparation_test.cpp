// The demo's sample firmware must pass the program's own Intel HEX reader, which refuses any record
// that is not exactly right, and put every byte where the simulated modem expects it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "image/hex_input.h"
#include "modem_sim/sample_firmware.h"

namespace {

namespace fs = std::filesystem;
using namespace flash410::image;

class SampleFolder {
  public:
    SampleFolder() : path_(fs::temp_directory_path() / ("flash410-sample-" + std::to_string(::getpid()))) {
        fs::create_directories(path_);
    }
    ~SampleFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }

  private:
    fs::path path_;
};

TEST(SampleFirmwarePreparation, EveryRecordIsTakenAndEveryByteLandsInPlace) {
    SampleFolder folder;
    const fs::path hex_file = folder.Path() / "sample-firmware.hex";
    const fs::path binary_file_name = folder.Path() / "sample-firmware.BIN";
    modemsim::WriteSampleFirmware(hex_file.string());

    BinaryImageFile binary_file = EmptyBinaryFile(binary_file_name, kModemFlash);
    HexReaderState state;
    ReadHexInput(hex_file, binary_file, state);  // throws on the first record it refuses
    binary_file.Close();

    std::vector<std::uint8_t> expected(kModemFlash.Bytes(), kErasedByte);
    for (const modemsim::AddressRange& range : modemsim::SampleFirmwareRanges()) {
        for (std::uint32_t address = range.begin; address < range.end; ++address) {
            expected[address] = modemsim::SampleFirmwareByte(address);
        }
    }
    std::ifstream stream(binary_file_name, std::ios::binary);
    const std::vector<std::uint8_t> image(std::istreambuf_iterator<char>(stream), {});
    EXPECT_TRUE(image == expected) << "the binary image differs from the sample's bytes";
}

}  // namespace
