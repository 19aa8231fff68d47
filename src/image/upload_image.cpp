#include "image/upload_image.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <span>
#include <vector>

#include "image/file_failure.h"
#include "platform/hex_text.h"

namespace flash410::image {
namespace {

void PutCharCodes(std::string_view text, BlockBuffer& blockBuffer) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        blockBuffer[at] = CharCode(text.substr(at, 1));
    }
}

}  // namespace

std::uint8_t BlockChecksum(std::span<const std::uint8_t, kBlockSize> block) {
    const unsigned sum = std::accumulate(block.begin(), block.end() - 1, 0U);
    return static_cast<std::uint8_t>(sum);
}

std::uint8_t CharCode(std::string_view text) {
    return text.size() == 1 ? static_cast<std::uint8_t>(text.front()) : 0;
}

HeldUploadImage WriteUploadImage(BinaryImageFile& binaryFile, platform::ByteFile& imageFile,
                                 BlockBuffer& blockBuffer) {
    HeldUploadImage made = MakeUploadImage(binaryFile.Image(), blockBuffer);
    ReportFileFailures([&] { imageFile.Append(*made.Bytes); });
    return made;
}

HeldUploadImage MakeUploadImage(const FlashImage& image, BlockBuffer& blockBuffer) {
    const std::size_t chunks = image.Size().Chunks();
    UploadImageResult result;
    std::uint32_t imageSum = 0;
    // The whole image is built in memory and written at once: it is what the upload sends.
    auto written = std::make_shared<std::vector<std::uint8_t>>();
    written->reserve(image.WrittenChunks() * kBlockSize + kChecksumDigits);
    const auto chunkData = std::span(blockBuffer).subspan(kBlockAddressDigits, kChunkSize);

    for (std::size_t chunk = 0; chunk < chunks; ++chunk) {
        if (!image.Written(chunk)) {
            imageSum += kChunkSize * kErasedByte;  // blank, and counted as the erased bytes it holds
            continue;
        }
        const auto bytes = image.Chunk(chunk);
        std::uint32_t chunkSum = 0;
        std::uint8_t allBits = kErasedByte;
        for (const std::uint8_t byte : bytes) {
            chunkSum += byte;
            allBits &= byte;
        }
        imageSum += chunkSum;
        if (allBits == kErasedByte) {
            continue;  // a blank chunk gets no block
        }
        PutCharCodes(platform::HexNumber(static_cast<std::uint32_t>(chunk * kChunkSize), kBlockAddressDigits),
                     blockBuffer);
        std::copy(bytes.begin(), bytes.end(), chunkData.begin());
        blockBuffer.back() = BlockChecksum(blockBuffer);
        ++result.BlockCount;
        written->insert(written->end(), blockBuffer.begin(), blockBuffer.end());
    }

    // The buffer's data bytes end up holding the last chunk read, blank or not, as the block loop
    // would leave them had it copied every chunk.
    const auto lastChunk = image.Chunk(chunks - 1);
    std::copy(lastChunk.begin(), lastChunk.end(), chunkData.begin());

    result.ChecksumText = platform::HexNumber(imageSum & 0xFFFF, kChecksumDigits);
    PutCharCodes(result.ChecksumText, blockBuffer);
    written->insert(written->end(), blockBuffer.begin(), blockBuffer.begin() + kChecksumDigits);
    return HeldUploadImage{std::move(written), std::move(result)};
}

}  // namespace flash410::image
