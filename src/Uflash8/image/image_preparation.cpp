#include "image_preparation.h"

#include <utility>

#include "hex_input.h"
#include "preparation_error.h"

namespace flash410::image {

ImagePreparation::ImagePreparation(ChosenFileNames names) : names_(std::move(names)) {
    if (names_.Kind == ChosenFileKind::BinaryImage) {
        binary_file_ = BinaryImageFile::OpenForReading(names_.BinaryFileName);
        bytes_outside_image_ = binary_file_->BytesBeyondImage();
    } else if (names_.Kind != ChosenFileKind::IntelHex) {
        throw PreparationError("Unexpected file extension (" + names_.Extension + ")");
    }
}

template <typename Part>
Part& ImagePreparation::Require(std::optional<Part>& part) {
    if (!part) {
        throw PreparationError("The preparation of " + names_.ChosenFile +
                               " lost its place; choose the file again");
    }
    return *part;
}

void ImagePreparation::EmptyBinaryFile() {
    binary_file_.reset();
    binary_file_ = image::EmptyBinaryFile(names_.BinaryFileName);
}

void ImagePreparation::ReadHexInput(HexReaderState& state) {
    image::ReadHexInput(names_.ChosenFile, Require(binary_file_), state);
    bytes_outside_image_ = state.BytesOutsideImage;
}

void ImagePreparation::CreateImageFile() {
    image_file_.reset();
    image_file_ = ReplacementFile::Create(names_.ImageFileName);
}

PreparedImage ImagePreparation::WriteImageFile(BlockBuffer& block_buffer) {
    BinaryImageFile& binary_file = Require(binary_file_);
    ReplacementFile& image_file = Require(image_file_);
    const UploadImageResult result = WriteUploadImage(binary_file, image_file.File(), block_buffer);
    if (result.BlockCount == 0) {
        throw PreparationError(NoDataForFlash(names_.ChosenFile, bytes_outside_image_));
    }
    // Both files reach the disk before either replaces anything, so no name ever stands for half a file.
    binary_file.Flush();
    image_file.Flush();
    binary_file.PutInPlace();
    ByteFile placed = std::move(image_file).PutInPlace();
    image_file_.reset();
    binary_file.Close();
    binary_file_.reset();
    return PreparedImage{result, bytes_outside_image_, std::move(placed)};
}

}  // namespace flash410::image
