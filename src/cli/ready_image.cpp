#include "cli/ready_image.h"

#include "image/chosen_file_names.h"
#include "image/file_failure.h"
#include "image/image_preparation.h"
#include "image/preparation_error.h"
#include "image/upload_image_check.h"
#include "platform/byte_file.h"
#include "platform/utf8_path.h"

namespace flash410::cli {

ReadyImage MakeImageReady(const std::string& chosenFile, const std::function<bool()>& stopRequested) {
    // Like the window, prepare nothing for a file that is not there, nor for one that is not a regular file.
    image::ReportFileFailures(
        [&] { platform::ByteFile::OpenForReading(platform::PathFromUtf8(chosenFile)).Close(); });
    const image::ChosenFileNames names = image::FormChosenFileNames(chosenFile);
    if (names.Kind == image::ChosenFileKind::kUploadImage) {
        image::HeldUploadImage checked =
            image::ReadCheckedUploadImage(platform::PathFromUtf8(chosenFile), image::kModemFlash);
        return {
            chosenFile, {}, checked.Result.BlockCount, checked.Result.ChecksumText, std::move(checked.Bytes)};
    }
    if (names.Kind == image::ChosenFileKind::kUnexpected) {
        throw image::PreparationError(
            "Unexpected file extension (" + names.Extension +
            "): give an Intel HEX (.hex, .h86, .mcs), binary (.bin) or upload image (.vxf) file");
    }
    image::PreparedImage prepared = image::PrepareAtOnce(names, image::kModemFlash, stopRequested);
    return {names.ImageFileName.string(), names.BinaryFileName.string(), prepared.Upload.BlockCount,
            prepared.Upload.ChecksumText, std::move(prepared.ImageBytes)};
}

}  // namespace flash410::cli
