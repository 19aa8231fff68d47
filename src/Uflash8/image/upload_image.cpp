#include "upload_image.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <span>
#include <vector>

namespace flash410::image {
namespace {

// Blocks are gathered and written in batches, so the image costs a few dozen writes, not thousands.
constexpr std::size_t BlocksPerWrite = 64;

void PutCharCodes(std::string_view text, BlockBuffer& block_buffer) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        block_buffer[at] = CharCode(text.substr(at, 1));
    }
}

}  // namespace

std::uint8_t BlockChecksum(std::span<const std::uint8_t, BlockSize> block) {
    const unsigned sum = std::accumulate(block.begin(), block.end() - 1, 0U);
    return static_cast<std::uint8_t>(sum);
}

std::string UpperHexText(std::uint32_t value, std::size_t digits) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text(digits, '0');
    for (std::size_t at = digits; at-- > 0; value >>= 4) {
        text[at] = Digits[value & 0xF];
    }
    return text;
}

std::uint8_t CharCode(std::string_view text) {
    return text.size() == 1 ? static_cast<std::uint8_t>(text.front()) : 0;
}

UploadImageResult WriteUploadImage(BinaryImageFile& binary_file, ByteFile& image_file,
                                   BlockBuffer& block_buffer) {
    const ImageBytes image = binary_file.Contents();
    UploadImageResult result;
    std::uint32_t image_sum = 0;
    std::vector<std::uint8_t> pending;
    pending.reserve(BlocksPerWrite * BlockSize);
    const auto chunk_data = std::span(block_buffer).subspan(BlockAddressDigits, ChunkSize);

    for (std::size_t chunk = 0; chunk < ChunkCount; ++chunk) {
        const auto bytes = image.subspan(chunk * ChunkSize, ChunkSize);
        std::uint32_t chunk_sum = 0;
        std::uint8_t all_bits = ErasedByte;
        for (const std::uint8_t byte : bytes) {
            chunk_sum += byte;
            all_bits &= byte;
        }
        image_sum += chunk_sum;
        if (all_bits == ErasedByte) {
            continue;  // a blank chunk gets no block
        }
        PutCharCodes(UpperHexText(static_cast<std::uint32_t>(chunk * ChunkSize), BlockAddressDigits),
                     block_buffer);
        std::copy(bytes.begin(), bytes.end(), chunk_data.begin());
        block_buffer.back() = BlockChecksum(block_buffer);
        ++result.BlockCount;
        pending.insert(pending.end(), block_buffer.begin(), block_buffer.end());
        if (pending.size() >= BlocksPerWrite * BlockSize) {
            image_file.Append(pending);
            pending.clear();
        }
    }

    // The buffer's data bytes end up holding the last chunk read, blank or not, as the block loop
    // would leave them had it copied every chunk.
    const auto last_chunk = image.last(ChunkSize);
    std::copy(last_chunk.begin(), last_chunk.end(), chunk_data.begin());

    result.ChecksumText = UpperHexText(image_sum & 0xFFFF, ChecksumDigits);
    PutCharCodes(result.ChecksumText, block_buffer);
    pending.insert(pending.end(), block_buffer.begin(), block_buffer.begin() + ChecksumDigits);
    image_file.Append(pending);
    return result;
}

}  // namespace flash410::image
