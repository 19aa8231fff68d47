#pragma once

#include <filesystem>

#include "image/binary_image_file.h"
#include "image/hex_record.h"

namespace flash410::image {

// Creates the erased image of the flash that is to replace binaryFileName, and returns it open for
// ReadHexInput. The file of that name changes only when the image is put in place (or closed).
BinaryImageFile EmptyBinaryFile(const std::filesystem::path& binaryFileName, FlashSize flash);

// Reads the Intel HEX file chosenFile into the open binary image and writes the image to its file.
// The state starts afresh (no segment, upper linear address 0); reading stops after the end-of-file
// record. A malformed line, or a file that ends without an end-of-file record, throws PreparationError
// naming the file and the line ("Cannot convert FILE, line N: reason"). On return the state tells how
// many data bytes lay outside the flash.
void ReadHexInput(const std::filesystem::path& chosenFile, BinaryImageFile& binaryFile,
                  HexReaderState& state);

}  // namespace flash410::image
