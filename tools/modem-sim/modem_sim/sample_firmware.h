// A firmware file of the project's own making for the demo and for trying the program without real
// firmware: a few hundred KiB of deterministic bytes as Intel HEX, with extended linear address (type 04)
// records, 16-byte data records and an end-of-file record, each with a valid checksum.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace modemsim {

struct AddressRange {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;  // one past the last address
};

// Where the sample holds data: low flash with one blank 1 KiB gap, and the top 64 KiB of the 4 MiB.
const std::vector<AddressRange>& SampleFirmwareRanges();
// The byte the sample holds at an address inside its ranges.
std::uint8_t SampleFirmwareByte(std::uint32_t address);
// The whole file, lines ended by CR LF.
std::string SampleFirmwareHex();
// Throws std::runtime_error naming the file when it cannot be written.
void WriteSampleFirmware(const std::string& path);

}  // namespace modemsim
