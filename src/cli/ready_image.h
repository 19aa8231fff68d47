// The firmware file named on the command line, made ready for the modem exactly as the window makes it:
// an Intel HEX or binary file becomes the .BIN and .VXF files beside it, an upload image is checked.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <variant>

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

// The firmware made ready for a command that sends it, or the exit status it ends with once it has said
// on err why nothing is sent: the file cannot be made ready, the preparation was stopped, or the image's
// SHA-256 is not the one expected (when one is).
std::variant<ReadyImage, int> ReadyToSend(const std::string& chosenFile,
                                          const std::optional<std::string>& expectedSha256,
                                          const std::function<bool()>& stopRequested, std::ostream& err);

// What is wrong when the image's SHA-256 (lower-case digits) is not the one expected, naming both, or when
// the system cannot make it; nothing when it is the one expected.
std::optional<std::string> WrongImageDigest(const ReadyImage& ready, const std::string& expected);

}  // namespace flash410::cli
