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
constexpr std::size_t kBlocksPerRead = 64;

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
        if (size < kChecksumDigits || (size - kChecksumDigits) % kBlockSize != 0) {
            Refuse("its " + std::to_string(size) + " bytes are not whole blocks of " +
                   std::to_string(kBlockSize) + " bytes and the " + std::to_string(kChecksumDigits) +
                   "-byte trailer, so the file is cut short or damaged");
        }
        const std::uint64_t blocks = (size - kChecksumDigits) / kBlockSize;
        if (blocks > kChunkCount) {
            Refuse("it holds " + std::to_string(blocks) + " blocks, more than the " +
                   std::to_string(kChunkCount) + " the flash has room for");
        }
        if (blocks == 0) {
            throw PreparationError(NoDataForFlash(file_.Name()));
        }
        // Every chunk of the flash counts in the image checksum; a chunk without a block is blank.
        imageSum_ = static_cast<std::uint32_t>((kChunkCount - blocks) * kChunkSize * kErasedByte);
        std::vector<std::uint8_t> batch(kBlocksPerRead * kBlockSize);
        for (std::uint64_t first = 0; first < blocks; first += kBlocksPerRead) {
            const std::size_t count =
                static_cast<std::size_t>(std::min<std::uint64_t>(kBlocksPerRead, blocks - first));
            const auto bytes = std::span(batch).first(count * kBlockSize);
            ReadWhole(first * kBlockSize, bytes);
            for (std::size_t block = 0; block < count; ++block) {
                CheckBlock(first + block + 1, bytes.subspan(block * kBlockSize).first<kBlockSize>());
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

    void CheckBlock(std::uint64_t number, std::span<const std::uint8_t, kBlockSize> block) {
        const auto addressDigits = block.first<kBlockAddressDigits>();
        const std::optional<std::uint32_t> address = UpperHexValue(addressDigits);
        if (!address) {
            RefuseBlock(number, addressDigits, "the address is not six upper-case hexadecimal digits");
        }
        if (*address % kChunkSize != 0) {
            RefuseBlock(number, addressDigits, "the address is not a multiple of 400 (hexadecimal)");
        }
        if (*address >= kBinaryImageSize) {
            RefuseBlock(number, addressDigits, "the address lies beyond the 4 MiB flash");
        }
        if (previousAddress_ && *address <= *previousAddress_) {
            RefuseBlock(number, addressDigits,
                        "the address does not come after the previous block's, " +
                            UpperHexText(*previousAddress_, kBlockAddressDigits));
        }
        const std::uint8_t expected = BlockChecksum(block);
        if (block.back() != expected) {
            RefuseBlock(number, addressDigits,
                        "the checksum byte is " + UpperHexText(block.back(), 2) +
                            " (hexadecimal), the block's bytes give " + UpperHexText(expected, 2));
        }
        const auto data = block.subspan(kBlockAddressDigits, kChunkSize);
        imageSum_ = std::accumulate(data.begin(), data.end(), imageSum_);
        previousAddress_ = address;
    }

    UploadImageResult CheckTrailer(std::uint64_t blocks) {
        std::uint8_t trailer[kChecksumDigits];
        ReadWhole(blocks * kBlockSize, trailer);
        const std::optional<std::uint32_t> checksum = UpperHexValue(trailer);
        if (!checksum) {
            Refuse("the trailer \"" + Shown(trailer) + "\" is not four upper-case hexadecimal digits");
        }
        const std::string expected = UpperHexText(imageSum_ & 0xFFFF, kChecksumDigits);
        if (*checksum != (imageSum_ & 0xFFFF)) {
            Refuse("the trailer gives the image checksum " + Shown(trailer) + ", the blocks give " +
                   expected);
        }
        return UploadImageResult{static_cast<std::int32_t>(blocks), expected};
    }

    ByteFile& file_;
    std::uint32_t imageSum_ = 0;
    std::optional<std::uint32_t> previousAddress_;
};

}  // namespace

UploadImageResult VerifyUploadImage(ByteFile& imageFile) {
    return UploadImageChecker(imageFile).Check();
}

}  // namespace flash410::image
