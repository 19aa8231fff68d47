#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "image/flash_size.h"
#include "image/upload_image.h"

namespace flash410::image {

// Checks a ready upload image before it is offered for upload, since the modem would ask again and
// again for a damaged block and would take a cut file as a whole firmware. The size must be whole
// blocks and the trailer; every block's address six upper-case hexadecimal digits, a multiple of 0x400,
// above the previous block's and inside the flash; every block's checksum byte right; and the
// trailer the image checksum. An image without a block holds nothing to upload. Returns the block count
// and the trailer; throws PreparationError naming the file, the first block at fault (numbered from 1,
// with its address) and what is wrong. name is what the operator knows the image by.
UploadImageResult VerifyUploadImage(std::span<const std::uint8_t> image, const std::filesystem::path& name,
                                    FlashSize flash);

// Reads a ready upload image whole and checks it: what is offered for upload, and sent, is what was checked.
// A file larger than the flash could hold is refused before it is read.
HeldUploadImage ReadCheckedUploadImage(const std::filesystem::path& name, FlashSize flash);

}  // namespace flash410::image
