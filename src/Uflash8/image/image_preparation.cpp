#include "image_preparation.h"

#include <utility>

#include "hex_input.h"
#include "preparation_error.h"

namespace flash410::image {

ImagePreparation::ImagePreparation(ChosenFileNames names) : names_(std::move(names)) {
    if (names_.Kind == ChosenFileKind::BinaryImage) {
        binaryFile_ = BinaryImageFile::OpenForReading(names_.BinaryFileName);
        bytesOutsideImage_ = binaryFile_->BytesBeyondImage();
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
    binaryFile_.reset();
    binaryFile_ = image::EmptyBinaryFile(names_.BinaryFileName);
}

void ImagePreparation::ReadHexInput(HexReaderState& state) {
    image::ReadHexInput(names_.ChosenFile, Require(binaryFile_), state);
    bytesOutsideImage_ = state.BytesOutsideImage;
}

void ImagePreparation::CreateImageFile() {
    imageFile_.reset();
    imageFile_ = ReplacementFile::Create(names_.ImageFileName);
}

PreparedImage ImagePreparation::WriteImageFile(BlockBuffer& blockBuffer) {
    BinaryImageFile& binaryFile = Require(binaryFile_);
    ReplacementFile& imageFile = Require(imageFile_);
    const UploadImageResult result = WriteUploadImage(binaryFile, imageFile.File(), blockBuffer);
    if (result.BlockCount == 0) {
        throw PreparationError(NoDataForFlash(names_.ChosenFile, bytesOutsideImage_));
    }
    // Both files reach the disk before either replaces anything, so no name ever stands for half a file.
    binaryFile.Flush();
    imageFile.Flush();
    binaryFile.PutInPlace();
    ByteFile placed = std::move(imageFile).PutInPlace();
    imageFile_.reset();
    binaryFile.Close();
    binaryFile_.reset();
    return PreparedImage{result, bytesOutsideImage_, std::move(placed)};
}

PreparedImage PrepareAtOnce(const ChosenFileNames& names) {
    ImagePreparation preparation(names);
    if (names.Kind == ChosenFileKind::IntelHex) {
        preparation.EmptyBinaryFile();
        HexReaderState state;
        preparation.ReadHexInput(state);
    }
    preparation.CreateImageFile();
    BlockBuffer blockBuffer{};
    return preparation.WriteImageFile(blockBuffer);
}

}  // namespace flash410::image
