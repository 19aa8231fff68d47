// Firmware for tests: 4 MiB flash images with known contents, and the same contents as Intel HEX, flat
// binary and upload image files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace flash410::test_support {

using FlashBytes = std::vector<std::uint8_t>;

// An erased 4 MiB image with `blocks` chunks of 1 KiB holding data, spread over the flash (the last one
// at the top), with 0x00, 0x0D and 0xFF among the bytes.
FlashBytes MakeFirmwareImage(int blocks);

// One Intel HEX record line, CR LF ended.
std::string HexRecord(int type, unsigned address, const std::string& data);
// The image as Intel HEX: 16-byte data records for every row that is not erased, a type 04 record
// before the first and wherever the upper 16 address bits change, and the end-of-file record.
std::string ToIntelHex(const FlashBytes& image);

void WriteBytes(const std::string& path, const std::string& bytes);
void WriteBytes(const std::string& path, const FlashBytes& bytes);
// A valid upload image of `count` blocks, as the text of its file: block k is filled with the byte
// first + k, with 0x0D and 0x00 among its first data bytes.
std::string UploadImageOfBlocks(int count, char first = 'a');

// Writes the image as an upload image, through a flat binary file beside it.
void WriteUploadImageFile(const std::string& path, const FlashBytes& image);

}  // namespace flash410::test_support
