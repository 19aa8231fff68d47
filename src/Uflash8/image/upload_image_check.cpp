#include "upload_image_check.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "preparation_error.h"

namespace flash410::image {
namespace {

// Blocks are read in batches, so a full image costs a few dozen reads.
constexpr std::size_t BlocksPerRead = 64;

// The bytes as text, with anything unprintable as \xNN, so a damaged field can be shown as it is.
std::string Shown(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (byte >= 0x20 && byte < 0x7F) {
            text += static_cast<char>(byte);
        } else {
            text += "\\x" + UpperHexText(byte, 2);
        }
    }
    return text;
}

// The value of upper-case hexadecimal digits; nothing if any byte is not one.
std::optional<std::uint32_t> UpperHexValue(std::span<const std::uint8_t> digits) {
    std::uint32_t value = 0;
    for (const std::uint8_t digit : digits) {
        if (digit >= '0' && digit <= '9') {
            value = value * 16 + (digit - '0');
        } else if (digit >= 'A' && digit <= 'F') {
            value = value * 16 + (digit - 'A' + 10);
        } else {
            return std::nullopt;
        }
    }
    return value;
}

class UploadImageChecker {
  public:
    explicit UploadImageChecker(ByteFile& file) : file_(file) {}

    UploadImageResult Check() {
        const std::uint64_t size = file_.Size();
        if (size < ChecksumDigits || (size - ChecksumDigits) % BlockSize != 0) {
            Refuse("its " + std::to_string(size) + " bytes are not whole blocks of " +
                   std::to_string(BlockSize) + " bytes and the " + std::to_string(ChecksumDigits) +
                   "-byte trailer, so the file is cut short or damaged");
        }
        const std::uint64_t blocks = (size - ChecksumDigits) / BlockSize;
        if (blocks > ChunkCount) {
            Refuse("it holds " + std::to_string(blocks) + " blocks, more than the " +
                   std::to_string(ChunkCount) + " the flash has room for");
        }
        if (blocks == 0) {
            throw PreparationError(NoDataForFlash(file_.Name()));
        }
        // Every chunk of the flash counts in the image checksum; a chunk without a block is blank.
        image_sum_ = static_cast<std::uint32_t>((ChunkCount - blocks) * ChunkSize * ErasedByte);
        std::vector<std::uint8_t> batch(BlocksPerRead * BlockSize);
        for (std::uint64_t first = 0; first < blocks; first += BlocksPerRead) {
            const std::size_t count =
                static_cast<std::size_t>(std::min<std::uint64_t>(BlocksPerRead, blocks - first));
            const auto bytes = std::span(batch).first(count * BlockSize);
            ReadWhole(first * BlockSize, bytes);
            for (std::size_t block = 0; block < count; ++block) {
                CheckBlock(first + block + 1, bytes.subspan(block * BlockSize).first<BlockSize>());
            }
        }
        return CheckTrailer(blocks);
    }

  private:
    [[noreturn]] void Refuse(const std::string& reason) const {
        throw PreparationError("Cannot use " + file_.Name().string() + ": " + reason);
    }

    [[noreturn]] void RefuseBlock(std::uint64_t number, std::span<const std::uint8_t> address,
                                  const std::string& reason) const {
        throw PreparationError("Cannot use " + file_.Name().string() + ", block " + std::to_string(number) +
                               " (address " + Shown(address) + "): " + reason);
    }

    void ReadWhole(std::uint64_t offset, std::span<std::uint8_t> bytes) {
        if (file_.ReadAt(offset, bytes) != bytes.size()) {
            Refuse("the file became shorter while it was read");
        }
    }

    void CheckBlock(std::uint64_t number, std::span<const std::uint8_t, BlockSize> block) {
        const auto address_digits = block.first<BlockAddressDigits>();
        const std::optional<std::uint32_t> address = UpperHexValue(address_digits);
        if (!address) {
            RefuseBlock(number, address_digits, "the address is not six upper-case hexadecimal digits");
        }
        if (*address % ChunkSize != 0) {
            RefuseBlock(number, address_digits, "the address is not a multiple of 400 (hexadecimal)");
        }
        if (*address >= BinaryImageSize) {
            RefuseBlock(number, address_digits, "the address lies beyond the 4 MiB flash");
        }
        if (previous_address_ && *address <= *previous_address_) {
            RefuseBlock(number, address_digits,
                        "the address does not come after the previous block's, " +
                            UpperHexText(*previous_address_, BlockAddressDigits));
        }
        const std::uint8_t expected = BlockChecksum(block);
        if (block.back() != expected) {
            RefuseBlock(number, address_digits,
                        "the checksum byte is " + UpperHexText(block.back(), 2) +
                            " (hexadecimal), the block's bytes give " + UpperHexText(expected, 2));
        }
        const auto data = block.subspan(BlockAddressDigits, ChunkSize);
        image_sum_ = std::accumulate(data.begin(), data.end(), image_sum_);
        previous_address_ = address;
    }

    UploadImageResult CheckTrailer(std::uint64_t blocks) {
        std::uint8_t trailer[ChecksumDigits];
        ReadWhole(blocks * BlockSize, trailer);
        const std::optional<std::uint32_t> checksum = UpperHexValue(trailer);
        if (!checksum) {
            Refuse("the trailer \"" + Shown(trailer) + "\" is not four upper-case hexadecimal digits");
        }
        const std::string expected = UpperHexText(image_sum_ & 0xFFFF, ChecksumDigits);
        if (*checksum != (image_sum_ & 0xFFFF)) {
            Refuse("the trailer gives the image checksum " + Shown(trailer) + ", the blocks give " +
                   expected);
        }
        return UploadImageResult{static_cast<std::int32_t>(blocks), expected};
    }

    ByteFile& file_;
    std::uint32_t image_sum_ = 0;
    std::optional<std::uint32_t> previous_address_;
};

}  // namespace

UploadImageResult VerifyUploadImage(ByteFile& image_file) {
    return UploadImageChecker(image_file).Check();
}

}  // namespace flash410::image
