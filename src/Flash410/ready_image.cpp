#include "ready_image.h"

#include "image/byte_file.h"
#include "image/chosen_file_names.h"
#include "image/image_preparation.h"
#include "image/preparation_error.h"
#include "image/upload_image_check.h"

namespace flash410::cli {

ReadyImage MakeImageReady(const std::string& chosenFile) {
    // Like the window, prepare nothing for a file that is not there, nor for one that is not a regular file.
    image::ByteFile::OpenForReading(chosenFile).Close();
    const image::ChosenFileNames names = image::FormChosenFileNames(chosenFile);
    if (names.Kind == image::ChosenFileKind::UploadImage) {
        image::ByteFile imageFile = image::ByteFile::OpenForReading(chosenFile);
        const image::UploadImageResult checked = image::VerifyUploadImage(imageFile);
        return {chosenFile, {}, checked.BlockCount, checked.ChecksumText, 0};
    }
    if (names.Kind == image::ChosenFileKind::Unexpected) {
        throw image::PreparationError(
            "Unexpected file extension (" + names.Extension +
            "): give an Intel HEX (.hex, .h86, .mcs), binary (.bin) or upload image (.vxf) file");
    }
    const image::PreparedImage prepared = image::PrepareAtOnce(names);
    return {names.ImageFileName.string(), names.BinaryFileName.string(), prepared.Upload.BlockCount,
            prepared.Upload.ChecksumText, prepared.BytesOutsideImage};
}

}  // namespace flash410::cli
