#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "image/binary_image_file.h"
#include "image/chosen_file_names.h"
#include "image/hex_record.h"
#include "image/image_layout.h"
#include "image/upload_image.h"
#include "platform/replacement_file.h"

namespace flash410::image {

// What a finished preparation hands over.
struct PreparedImage {
    UploadImageResult Upload;
    // The upload image as written, now in place under its name.
    UploadImageBytes ImageBytes;
};

// One preparation of a chosen Intel HEX or ".bin" file, in the steps that the window gives a tick each
// and the command line runs one after the other. Nothing on disk changes before the last step: the new
// binary image and upload image are written beside their names, and put in place together only once
// the upload image is complete, holds at least one block and, like the binary image, is on the disk.
// A preparation dropped before then, by a failure or by the operator, leaves the files that were there
// as they were and nothing of its own.
class ImagePreparation {
  public:
    // names must be of an Intel HEX or ".bin" file; a ".bin" file is opened for reading at once. The
    // images are made for a flash of the size given.
    ImagePreparation(ChosenFileNames names, FlashSize flash);

    const ChosenFileNames& Names() const { return names_; }

    // Intel HEX: the erased binary image, then the chosen file read into it.
    void EmptyBinaryFile();
    void ReadHexInput(HexReaderState& state);
    // The upload image: created empty, then written from the binary image, and both put in place.
    void CreateImageFile();
    PreparedImage WriteImageFile(BlockBuffer& blockBuffer);

  private:
    // The steps come in order; one out of order means the caller lost track.
    template <typename Part>
    Part& Require(std::optional<Part>& part);

    ChosenFileNames names_;
    FlashSize flash_;
    std::optional<BinaryImageFile> binaryFile_;
    std::optional<platform::ReplacementFile> imageFile_;
};

// Runs every step of a preparation one after the other, as the command line and the tests do. Between
// the steps it asks stopRequested, when given, and throws PreparationStopped once it says yes.
PreparedImage PrepareAtOnce(const ChosenFileNames& names, FlashSize flash,
                            const std::function<bool()>& stopRequested = {});

}  // namespace flash410::image
