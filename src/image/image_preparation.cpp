#include "image/image_preparation.h"

#include <utility>

#include "image/file_failure.h"
#include "image/hex_input.h"
#include "image/preparation_error.h"
#include "image/upload_image_check.h"
#include "platform/hex_text.h"
#include "platform/utf8_path.h"

namespace flash410::image {
namespace {

// A file in the place of an output that is not of the program's own form (a binary image of exactly
// the flash's size, an upload image that verifies) is somebody's own work, such as a 16 KiB release.bin
// beside release.hex: it is never replaced.
void RefuseToReplaceForeignFile(const std::filesystem::path& name, bool binaryImage, FlashSize flash) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(name, error);
    if (!fs::exists(status)) {
        return;
    }
    bool ours = fs::is_regular_file(status);
    if (ours && binaryImage) {
        ours = fs::file_size(name, error) == flash.Bytes() && !error;
    } else if (ours) {
        try {
            ReadCheckedUploadImage(name, flash);
        } catch (const PreparationError&) {
            ours = false;
        }
    }
    if (!ours) {
        throw PreparationError(name.string() + " is not a prepared image: move it or choose it");
    }
}

}  // namespace

ImagePreparation::ImagePreparation(ChosenFileNames names, FlashSize flash)
    : names_(std::move(names)), flash_(flash) {
    if (names_.Kind == ChosenFileKind::kBinaryImage) {
        binaryFile_ = BinaryImageFile::OpenForReading(names_.BinaryFileName, flash_);
        // What lies beyond the flash would never reach the modem, and the upload would still be complete.
        if (binaryFile_->BytesBeyondImage() > 0) {
            throw PreparationError("Cannot use " + names_.ChosenFile + ": it is " +
                                   std::to_string(flash_.Bytes() + binaryFile_->BytesBeyondImage()) +
                                   " bytes long, and its data from address " +
                                   platform::HexNumber(flash_.Bytes(), 6) +
                                   " (hexadecimal) on lies beyond the " + flash_.Text() + " flash");
        }
    } else if (names_.Kind != ChosenFileKind::kIntelHex) {
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
    binaryFile_ = image::EmptyBinaryFile(names_.BinaryFileName, flash_);
}

void ImagePreparation::ReadHexInput(HexReaderState& state) {
    image::ReadHexInput(platform::PathFromUtf8(names_.ChosenFile), Require(binaryFile_), state);
}

void ImagePreparation::CreateImageFile() {
    imageFile_.reset();
    imageFile_ = ReportFileFailures([&] { return platform::ReplacementFile::Create(names_.ImageFileName); });
}

PreparedImage ImagePreparation::WriteImageFile(BlockBuffer& blockBuffer) {
    BinaryImageFile& binaryFile = Require(binaryFile_);
    platform::ReplacementFile& imageFile = Require(imageFile_);
    HeldUploadImage written = MakeUploadImage(binaryFile.Image(), blockBuffer);
    if (written.Result.BlockCount == 0) {
        throw PreparationError(NoDataForFlash(platform::PathFromUtf8(names_.ChosenFile)));
    }
    ReportFileFailures([&] { imageFile.WriteWhole(*written.Bytes); });
    if (names_.Kind == ChosenFileKind::kIntelHex) {
        RefuseToReplaceForeignFile(names_.BinaryFileName, true, flash_);
    }
    // A file in place that holds the very bytes made is the program's own already.
    if (!imageFile.TargetHeldContents()) {
        RefuseToReplaceForeignFile(names_.ImageFileName, false, flash_);
    }
    // Both files reach the disk before either replaces anything, so no name ever stands for half a file.
    // The upload image goes first: it is the one that another upload may hold open, and refused, it
    // leaves the pair as it was.
    binaryFile.Flush();
    ReportFileFailures([&] { imageFile.Flush(); });
    ReportFileFailures([&] { std::move(imageFile).PutInPlace(*written.Bytes).Close(); });
    binaryFile.PutInPlace();
    imageFile_.reset();
    binaryFile.Close();
    binaryFile_.reset();
    return PreparedImage{std::move(written.Result), std::move(written.Bytes)};
}

PreparedImage PrepareAtOnce(const ChosenFileNames& names, FlashSize flash,
                            const std::function<bool()>& stopRequested) {
    // A stop leaves by the exception, and the files begun so far are removed as the preparation goes.
    const auto goOn = [&] {
        if (stopRequested && stopRequested()) {
            throw PreparationStopped(names.ChosenFile);
        }
    };
    goOn();
    ImagePreparation preparation(names, flash);
    if (names.Kind == ChosenFileKind::kIntelHex) {
        preparation.EmptyBinaryFile();
        goOn();
        HexReaderState state;
        preparation.ReadHexInput(state);
        goOn();
    }
    preparation.CreateImageFile();
    goOn();
    BlockBuffer blockBuffer{};
    return preparation.WriteImageFile(blockBuffer);
}

}  // namespace flash410::image
