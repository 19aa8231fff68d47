#include "test_files.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "image/image_layout.h"
#include "image/upload_image.h"
#include "platform/hex_text.h"

namespace flash410::image::testing {

void WriteFile(const std::filesystem::path& name, std::string_view contents) {
    std::ofstream stream(name, std::ios::binary | std::ios::trunc);
    stream.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!stream) {
        throw std::runtime_error("cannot write " + name.string());
    }
}

void WriteFile(const std::filesystem::path& name, const std::vector<std::uint8_t>& contents) {
    WriteFile(name, std::string_view(reinterpret_cast<const char*>(contents.data()), contents.size()));
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& name) {
    std::ifstream stream(name, std::ios::binary);
    if (!stream) {
        throw std::runtime_error("cannot read " + name.string());
    }
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(stream), {});
}

std::string HexRecord(std::uint8_t type, std::uint16_t address, const std::vector<std::uint8_t>& data) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string line = ":";
    unsigned sum = 0;
    auto put = [&](std::uint8_t byte) {
        line += Digits[byte >> 4];
        line += Digits[byte & 0xF];
        sum += byte;
    };
    put(static_cast<std::uint8_t>(data.size()));
    put(static_cast<std::uint8_t>(address >> 8));
    put(static_cast<std::uint8_t>(address & 0xFF));
    put(type);
    for (const std::uint8_t byte : data) {
        put(byte);
    }
    put(static_cast<std::uint8_t>(-sum));
    return line;
}

std::string ExtendedLinearAddress(std::uint16_t upper) {
    return HexRecord(4, 0, {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper)});
}

std::string ExtendedSegmentAddress(std::uint16_t segment) {
    return HexRecord(2, 0, {static_cast<std::uint8_t>(segment >> 8), static_cast<std::uint8_t>(segment)});
}

std::string HexText(const std::vector<std::string>& lines, std::string_view lineEnd) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += lineEnd;
    }
    return text;
}

std::vector<std::uint8_t> ErasedImage(FlashSize flash) {
    return std::vector<std::uint8_t>(flash.Bytes(), kErasedByte);
}

void WritePreparedImages(const std::filesystem::path& binaryName, const std::filesystem::path& imageName,
                         std::uint8_t firstByte, FlashSize flash) {
    std::vector<std::uint8_t> binary = ErasedImage(flash);
    binary[0] = firstByte;
    WriteFile(binaryName, binary);
    BlockBuffer block{};
    std::fill(block.begin(), block.end(), '0');
    std::copy(binary.begin(), binary.begin() + kChunkSize, block.begin() + kBlockAddressDigits);
    block.back() = BlockChecksum(block);
    const std::uint32_t imageSum = firstByte + static_cast<std::uint32_t>(flash.Bytes() - 1) * kErasedByte;
    const std::string trailer = platform::HexNumber(imageSum & 0xFFFF, kChecksumDigits);
    std::vector<std::uint8_t> image;
    image.reserve(kBlockSize + kChecksumDigits);
    image.insert(image.end(), block.begin(), block.end());
    image.insert(image.end(), trailer.begin(), trailer.end());
    WriteFile(imageName, image);
}

}  // namespace flash410::image::testing
