#include "firmware_files.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "image/binary_image_file.h"
#include "image/upload_image.h"
#include "platform/replacement_file.h"

namespace flash410::test_support {

namespace {
constexpr std::size_t kFlashSize = 4u * 1024 * 1024;
constexpr std::size_t kChunk = 1024;
constexpr std::size_t kRow = 16;
}  // namespace

FlashBytes MakeFirmwareImage(int blocks) {
    FlashBytes image(kFlashSize, 0xFF);
    const std::size_t chunks = kFlashSize / kChunk;
    for (int k = 0; k < blocks; ++k) {
        // Every third chunk from the start, and the very last chunk of the flash for the last block.
        const std::size_t chunk =
            k == blocks - 1 && blocks > 1 ? chunks - 1 : static_cast<std::size_t>(k) * 3;
        for (std::size_t i = 0; i < kChunk; ++i) {
            image[chunk * kChunk + i] =
                static_cast<std::uint8_t>((i * 7 + static_cast<std::size_t>(k) * 13) % 256);
        }
    }
    return image;
}

std::string HexRecord(int type, unsigned address, const std::string& data) {
    unsigned sum =
        static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + static_cast<unsigned>(type);
    char text[16];
    std::snprintf(text, sizeof text, ":%02X%04X%02X", static_cast<unsigned>(data.size()), address & 0xFFFF,
                  type);
    std::string line = text;
    for (unsigned char byte : data) {
        std::snprintf(text, sizeof text, "%02X", byte);
        line += text;
        sum += byte;
    }
    std::snprintf(text, sizeof text, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + text;
}

std::string ToIntelHex(const FlashBytes& image) {
    std::string hex;
    unsigned upper = ~0u;  // the first data row always brings its type 04 record
    for (std::size_t row = 0; row < image.size(); row += kRow) {
        bool erased = true;
        for (std::size_t i = 0; i < kRow; ++i) erased = erased && image[row + i] == 0xFF;
        if (erased)
            continue;
        if (row >> 16 != upper) {
            upper = static_cast<unsigned>(row >> 16);
            hex +=
                HexRecord(4, 0, std::string{static_cast<char>(upper >> 8), static_cast<char>(upper & 0xFF)});
        }
        hex += HexRecord(0, static_cast<unsigned>(row),
                         std::string(image.begin() + static_cast<long>(row),
                                     image.begin() + static_cast<long>(row + kRow)));
    }
    return hex + ":00000001FF\r\n";
}

std::string UploadImageOfBlocks(int count, char first) {
    std::string image;
    unsigned imageSum = static_cast<unsigned>(4096 - count) * 1024 * 0xFF;
    for (int k = 0; k < count; ++k) {
        char header[16];
        std::snprintf(header, sizeof header, "%06X", k * 0x400);
        std::string block = header + std::string(1024, static_cast<char>(first + k));
        block[6] = '\r';
        block[7] = '\0';
        unsigned blockSum = 0;
        for (std::size_t at = 0; at < block.size(); ++at) {
            blockSum += static_cast<unsigned char>(block[at]);
            imageSum += at >= 6 ? static_cast<unsigned char>(block[at]) : 0;
        }
        block.push_back(static_cast<char>(blockSum & 0xFF));
        image += block;
    }
    char trailer[8];
    std::snprintf(trailer, sizeof trailer, "%04X", imageSum & 0xFFFF);
    return image + trailer;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

void WriteBytes(const std::string& path, const FlashBytes& bytes) {
    WriteBytes(path, std::string(bytes.begin(), bytes.end()));
}

void WriteUploadImageFile(const std::string& path, const FlashBytes& image) {
    const std::string binary = path + ".flat";
    WriteBytes(binary, image);
    platform::ReplacementFile out = platform::ReplacementFile::Create(path);
    image::BlockBuffer buffer{};
    image::BinaryImageFile flat = image::BinaryImageFile::OpenForReading(binary, image::kModemFlash);
    image::WriteUploadImage(flat, out.File(), buffer);
    std::move(out).PutInPlace().Close();
    std::remove(binary.c_str());
}

}  // namespace flash410::test_support
