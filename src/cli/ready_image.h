// The firmware file named on the command line, made ready for the modem exactly as the window makes it:
// an Intel HEX or binary file becomes the .BIN and .VXF files beside it, an upload image is checked.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "image/upload_image.h"

namespace flash410::cli {

struct ReadyImage {
    std::string ImagePath;   // the upload image to send
    std::string BinaryPath;  // the binary image written on the way; empty for a given upload image
    std::int32_t BlockCount = 0;
    std::string ChecksumText;
    // The image as checked or written: what is sent, whatever happens to the file meanwhile.
    image::UploadImageBytes Bytes;
};

// Throws image::PreparationError, in the operator's words, for a file that cannot be made ready: it is not
// there, it is not a regular file, its type is not one the modem's images are made from, it is malformed
// or empty. Nothing is written unless the whole preparation succeeds.
// stopRequested, when given, is asked between the steps of a preparation (image::PreparationStopped).
ReadyImage MakeImageReady(const std::string& chosenFile, const std::function<bool()>& stopRequested = {});

}  // namespace flash410::cli
