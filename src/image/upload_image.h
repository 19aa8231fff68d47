#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/binary_image_file.h"
#include "image/image_layout.h"
#include "platform/byte_file.h"

namespace flash410::image {

struct UploadImageResult {
    // Blocks written: one per chunk of the binary image that is not blank.
    std::int32_t BlockCount = 0;
    // The image checksum as four upper-case hexadecimal digits, as in the trailer.
    std::string ChecksumText;
};

// An upload image held whole in memory, as it was written or checked: the bytes sent to the modem are
// these, whatever happens to the file meanwhile. Shared, so that uploads to several modems send one image.
using UploadImageBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

struct HeldUploadImage {
    UploadImageBytes Bytes;
    UploadImageResult Result;
};

// Writes the upload image of binaryFile into the freshly created imageFile: a block of 1031 bytes for
// every chunk that is not all 0xFF, in address order, then the four checksum digits. Only the chunks
// that something was written into are looked at; the rest are blank. Builds each block
// in blockBuffer. Both files stay open: the caller decides when the binary image is done with.
HeldUploadImage WriteUploadImage(BinaryImageFile& binaryFile, platform::ByteFile& imageFile,
                                 BlockBuffer& blockBuffer);
// The same upload image, made in memory only.
HeldUploadImage MakeUploadImage(const FlashImage& image, BlockBuffer& blockBuffer);

// Sum of bytes 0 to 1029 of a block, modulo 256.
std::uint8_t BlockChecksum(std::span<const std::uint8_t, kBlockSize> block);

// Character code of a one-character text; 0 for any other text.
std::uint8_t CharCode(std::string_view text);

}  // namespace flash410::image
