#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "image/flash_size.h"

namespace flash410::image::testing {

void WriteFile(const std::filesystem::path& name, std::string_view contents);
void WriteFile(const std::filesystem::path& name, const std::vector<std::uint8_t>& contents);
std::vector<std::uint8_t> ReadFile(const std::filesystem::path& name);

// One Intel HEX record line with a correct checksum and no line end.
std::string HexRecord(std::uint8_t type, std::uint16_t address, const std::vector<std::uint8_t>& data);
std::string ExtendedLinearAddress(std::uint16_t upper);
std::string ExtendedSegmentAddress(std::uint16_t segment);
inline constexpr std::string_view EndOfFileRecord = ":00000001FF";
// The text of an Intel HEX file: each line followed by lineEnd.
std::string HexText(const std::vector<std::string>& lines, std::string_view lineEnd = "\r\n");

// The flash of the tests whose subject is not its size: room for every address they use, at a tenth of
// the modem's 4 MiB.
inline constexpr FlashSize kTestFlash = FlashSize::OfChunks(320);

// An erased image of the flash in memory.
std::vector<std::uint8_t> ErasedImage(FlashSize flash = kTestFlash);

// The files an earlier preparation for the flash left: a binary image whose first byte is firstByte,
// the rest erased, and its upload image of one block.
void WritePreparedImages(const std::filesystem::path& binaryName, const std::filesystem::path& imageName,
                         std::uint8_t firstByte, FlashSize flash);

}  // namespace flash410::image::testing
