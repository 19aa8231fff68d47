#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "binary_image_file.h"
#include "byte_file.h"
#include "image_layout.h"

namespace flash410::image {

struct UploadImageResult {
    // Blocks written: one per chunk of the binary image that is not blank.
    std::int32_t BlockCount = 0;
    // The image checksum as four upper-case hexadecimal digits, as in the trailer.
    std::string ChecksumText;
};

// Writes the upload image of binary_file into the freshly created image_file: a block of 1031 bytes for
// every chunk that is not all 0xFF, in address order, then the four checksum digits. Builds each block
// in block_buffer. Closes the binary image; image_file stays open.
UploadImageResult WriteUploadImage(BinaryImageFile binary_file, ByteFile& image_file,
                                   BlockBuffer& block_buffer);

// Sum of bytes 0 to 1029 of the block buffer, modulo 256.
std::uint8_t BlockChecksum(const BlockBuffer& block_buffer);

// Character code of a one-character text; 0 for any other text.
std::uint8_t CharCode(std::string_view text);

}  // namespace flash410::image
