#include "image/upload_image_check.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <numeric>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "image/file_failure.h"
#include "image/preparation_error.h"
#include "platform/byte_file.h"
#include "platform/hex_text.h"

namespace flash410::image {
namespace {

// The bytes as text, with anything unprintable as \xNN, so a damaged field can be shown as it is.
std::string Shown(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (byte >= 0x20 && byte < 0x7F) {
            text += static_cast<char>(byte);
        } else {
            text += "\\x" + platform::HexNumber(byte, 2);
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

// The blocks an image of size bytes holds, once the size itself is right. Checked before anything is
// read, so that a huge file is refused without reading it.
std::uint64_t BlocksOfSize(std::uint64_t size, const std::filesystem::path& name, FlashSize flash) {
    if (size < kChecksumDigits || (size - kChecksumDigits) % kBlockSize != 0) {
        throw PreparationError("Cannot use " + name.string() + ": its " + std::to_string(size) +
                               " bytes are not whole blocks of " + std::to_string(kBlockSize) +
                               " bytes and the " + std::to_string(kChecksumDigits) +
                               "-byte trailer, so the file is cut short or damaged");
    }
    const std::uint64_t blocks = (size - kChecksumDigits) / kBlockSize;
    if (blocks > flash.Chunks()) {
        throw PreparationError("Cannot use " + name.string() + ": it holds " + std::to_string(blocks) +
                               " blocks, more than the " + std::to_string(flash.Chunks()) +
                               " the flash has room for");
    }
    if (blocks == 0) {
        throw PreparationError(NoDataForFlash(name));
    }
    return blocks;
}

class UploadImageChecker {
  public:
    UploadImageChecker(std::span<const std::uint8_t> image, const std::filesystem::path& name,
                       FlashSize flash)
        : image_(image), name_(name), flash_(flash) {}

    UploadImageResult Check() {
        const std::uint64_t blocks = BlocksOfSize(image_.size(), name_, flash_);
        // Every chunk of the flash counts in the image checksum; a chunk without a block is blank.
        imageSum_ = static_cast<std::uint32_t>((flash_.Chunks() - blocks) * kChunkSize * kErasedByte);
        for (std::uint64_t block = 0; block < blocks; ++block) {
            CheckBlock(block + 1, image_.subspan(block * kBlockSize).first<kBlockSize>());
        }
        return CheckTrailer(image_.subspan(blocks * kBlockSize), blocks);
    }

  private:
    [[noreturn]] void Refuse(const std::string& reason) const {
        throw PreparationError("Cannot use " + name_.string() + ": " + reason);
    }

    [[noreturn]] void RefuseBlock(std::uint64_t number, std::span<const std::uint8_t> address,
                                  const std::string& reason) const {
        throw PreparationError("Cannot use " + name_.string() + ", block " + std::to_string(number) +
                               " (address " + Shown(address) + "): " + reason);
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
        if (*address >= flash_.Bytes()) {
            RefuseBlock(number, addressDigits, "the address lies beyond the " + flash_.Text() + " flash");
        }
        if (previousAddress_ && *address <= *previousAddress_) {
            RefuseBlock(number, addressDigits,
                        "the address does not come after the previous block's, " +
                            platform::HexNumber(*previousAddress_, kBlockAddressDigits));
        }
        const std::uint8_t expected = BlockChecksum(block);
        if (block.back() != expected) {
            RefuseBlock(number, addressDigits,
                        "the checksum byte is " + platform::HexNumber(block.back(), 2) +
                            " (hexadecimal), the block's bytes give " + platform::HexNumber(expected, 2));
        }
        const auto data = block.subspan(kBlockAddressDigits, kChunkSize);
        imageSum_ = std::accumulate(data.begin(), data.end(), imageSum_);
        previousAddress_ = address;
    }

    UploadImageResult CheckTrailer(std::span<const std::uint8_t> trailer, std::uint64_t blocks) {
        const std::optional<std::uint32_t> checksum = UpperHexValue(trailer);
        if (!checksum) {
            Refuse("the trailer \"" + Shown(trailer) + "\" is not four upper-case hexadecimal digits");
        }
        const std::string expected = platform::HexNumber(imageSum_ & 0xFFFF, kChecksumDigits);
        if (*checksum != (imageSum_ & 0xFFFF)) {
            Refuse("the trailer gives the image checksum " + Shown(trailer) + ", the blocks give " +
                   expected);
        }
        return UploadImageResult{static_cast<std::int32_t>(blocks), expected};
    }

    std::span<const std::uint8_t> image_;
    const std::filesystem::path& name_;
    FlashSize flash_;
    std::uint32_t imageSum_ = 0;
    std::optional<std::uint32_t> previousAddress_;
};

}  // namespace

UploadImageResult VerifyUploadImage(std::span<const std::uint8_t> image, const std::filesystem::path& name,
                                    FlashSize flash) {
    return UploadImageChecker(image, name, flash).Check();
}

HeldUploadImage ReadCheckedUploadImage(const std::filesystem::path& name, FlashSize flash) {
    return ReportFileFailures([&] {
        platform::ByteFile file = platform::ByteFile::OpenForReading(name);
        const std::uint64_t size = file.Size();
        BlocksOfSize(size, name, flash);
        auto bytes = std::make_shared<std::vector<std::uint8_t>>(static_cast<std::size_t>(size));
        // One byte more than expected is asked for, so that a file that grew while it was read shows too.
        bytes->push_back(0);
        if (file.ReadAt(0, *bytes) != size) {
            throw PreparationError("Cannot use " + name.string() + ": the file changed while it was read");
        }
        bytes->pop_back();
        file.Close();
        UploadImageResult result = VerifyUploadImage(*bytes, name, flash);
        return HeldUploadImage{std::move(bytes), std::move(result)};
    });
}

}  // namespace flash410::image
