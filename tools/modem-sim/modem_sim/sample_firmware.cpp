#include "modem_sim/sample_firmware.h"

#include <cerrno>
#include <fstream>
#include <optional>
#include <stdexcept>

#include "platform/hex_text.h"
#include "platform/system_error_text.h"

namespace modemsim {
namespace {

constexpr std::uint32_t kRecordLength = 16;
constexpr std::uint32_t kSegmentSize = 0x10000;  // the reach of a 16-bit record address
// ":" LL AAAA TT data CC, where CC makes the bytes of the record sum to 0 modulo 256.
void AppendRecord(std::string& text, std::uint16_t address, std::uint8_t type,
                  const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(data.size()),
                                    static_cast<std::uint8_t>(address >> 8),
                                    static_cast<std::uint8_t>(address & 0xFF), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    text.push_back(':');
    for (const std::uint8_t byte : bytes) {
        sum += byte;
    }
    bytes.push_back(static_cast<std::uint8_t>((0x100 - (sum & 0xFF)) & 0xFF));
    text += flash410::platform::HexBytes(bytes);
    text += "\r\n";
}

}  // namespace

const std::vector<AddressRange>& SampleFirmwareRanges() {
    static const std::vector<AddressRange> ranges{
        {0x000000, 0x010000},
        {0x010400, 0x030000},
        {0x3F0000, 0x400000},
    };
    return ranges;
}

std::uint8_t SampleFirmwareByte(std::uint32_t address) {
    // An integer hash: varied bytes that look like code and reproduce exactly.
    std::uint32_t x = address * 0x9E3779B1u;
    x ^= x >> 15;
    x *= 0x85EBCA77u;
    x ^= x >> 13;
    return static_cast<std::uint8_t>(x & 0xFF);
}

std::string SampleFirmwareHex() {
    std::string text;
    std::optional<std::uint32_t> upper;
    for (const AddressRange& range : SampleFirmwareRanges()) {
        for (std::uint32_t address = range.begin; address < range.end; address += kRecordLength) {
            const std::uint32_t segment = address / kSegmentSize;
            if (upper != segment) {
                AppendRecord(
                    text, 0, 0x04,
                    {static_cast<std::uint8_t>(segment >> 8), static_cast<std::uint8_t>(segment & 0xFF)});
                upper = segment;
            }
            std::vector<std::uint8_t> data;
            for (std::uint32_t i = 0; i < kRecordLength; ++i) {
                data.push_back(SampleFirmwareByte(address + i));
            }
            AppendRecord(text, static_cast<std::uint16_t>(address % kSegmentSize), 0x00, data);
        }
    }
    AppendRecord(text, 0, 0x01, {});
    return text;
}

void WriteSampleFirmware(const std::string& path) {
    const std::string text = SampleFirmwareHex();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
    }
    if (!out) {
        throw std::runtime_error("cannot write the sample firmware " + path + ": " +
                                 flash410::platform::SystemErrorText(errno));
    }
}

}  // namespace modemsim
