// The preparation of a chosen file: its extension decides whether it is converted from Intel HEX,
// cut from a flat binary image or taken as a ready upload image; each heavy step has a tick of its own,
// with its label set in the tick before so that the window shows it while the step runs. The files
// written replace the old ones only when the whole preparation has succeeded.
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "image/chosen_file_names.h"
#include "image/preparation_error.h"
#include "image/upload_image_check.h"
#include "platform/utf8_path.h"
#include "upload/time_texts.h"
#include "window_model/main_window_model.h"

namespace flash410::window_model {

namespace image = flash410::image;

void MainWindowModel::ChooseFile() {
    state_.EndOfInput = false;
    const std::optional<std::string> chosen =
        environment_.chooseFile ? environment_.chooseFile(screen_.ChooserFilter) : std::nullopt;
    if (!chosen) {
        return;  // Cancel: "Choose File" stays
    }
    state_.ChosenFile = *chosen;
    std::error_code error;
    if (std::filesystem::exists(platform::PathFromUtf8(state_.ChosenFile), error)) {
        try {
            PrepareChosenFile();
        } catch (const image::PreparationError& failure) {
            PreparationFailed(failure.what());
            return;
        }
    }
    screen_.ChooseFileButton.Visible = false;
}

void MainWindowModel::PrepareChosenFile() {
    screen_.Gauge.Visible = false;
    preparation_.reset();
    const image::ChosenFileNames names = image::FormChosenFileNames(state_.ChosenFile);
    state_.ChosenExtension = names.Extension;
    state_.ChosenFileStem = names.Stem;
    state_.BinaryImageRecords = image::kModemFlash.Records();

    switch (names.Kind) {
        case image::ChosenFileKind::kIntelHex:
            screen_.RunPanel.Visible = false;
            state_.HelpTopic = 4;
            state_.ImageFileName = names.ImageFileName.string();
            state_.BinaryFileName = names.BinaryFileName.string();
            screen_.PortStatusLine = {"Preparing input file, please wait ...", true, TextColor::kBlue, 0};
            // The file is named as the operator picked it in the chooser, without its folder.
            screen_.FileStatusLine.Caption =
                "Emptying binary file:  " + names.BinaryFileName.filename().string() + " ...";
            preparation_.emplace(names, image::kModemFlash);
            state_.Preparation = PreparationStep::kEmptyBinaryImage;
            break;
        case image::ChosenFileKind::kBinaryImage:
            screen_.RunPanel.Visible = false;
            state_.HelpTopic = 4;
            state_.BinaryFileName = names.BinaryFileName.string();
            state_.ImageFileName = names.ImageFileName.string();
            screen_.PortStatusLine = {"Preparing input file, please wait ...", true, TextColor::kBlue, 0};
            screen_.FileStatusLine.Caption = "Converting .BIN file to .VXF format ...";
            preparation_.emplace(names, image::kModemFlash);  // opens the chosen file for reading
            state_.Preparation = PreparationStep::kCreateImageFile;
            break;
        case image::ChosenFileKind::kUploadImage:
            state_.ImageFileName = state_.ChosenFile;
            SetUpRunPanel();
            break;
        case image::ChosenFileKind::kUnexpected:
            state_.Preparation = PreparationStep::kBadExtension;
            break;
    }
}

void MainWindowModel::UseImage(image::UploadImageBytes bytes, std::int32_t blockCount,
                               std::string checksumText) {
    session_.UseImage(
        {std::move(bytes), state_.ImageFileName, blockCount, std::move(checksumText), state_.ChosenFile});
}

void MainWindowModel::SetUpRunPanel() {
    screen_.Gauge.Progress = 0;
    screen_.Gauge.Visible = false;
    screen_.WarningLine.Visible = false;
    screen_.ProgressLine.Caption.clear();
    screen_.PortStatusLine.Caption.clear();
    session_.ReleaseImage();
    // The image is read and checked every time it is offered, Repeat Upload included: it may have
    // changed since. What was checked is what is sent.
    image::HeldUploadImage checked =
        image::ReadCheckedUploadImage(platform::PathFromUtf8(state_.ImageFileName), image::kModemFlash);
    UseImage(std::move(checked.Bytes), checked.Result.BlockCount, checked.Result.ChecksumText);
    screen_.RepeatUploadButton.Visible = false;
    screen_.RunPanel.Visible = true;
    screen_.UploadButton.Visible = true;
    state_.HelpTopic = 4;
    state_.Preparation = PreparationStep::kShowRunPrompt;
}

void MainWindowModel::RepeatUpload() {
    screen_.RepeatUploadButton.Visible = false;
    try {
        SetUpRunPanel();
    } catch (const image::PreparationError& failure) {
        PreparationFailed(failure.what());
    }
}

void MainWindowModel::ShowRunPrompt() {
    screen_.ProgressLine.Caption.clear();
    screen_.ProgressLine.Color = TextColor::kBlue;
    screen_.RunInstructionLine = {"Set the modem baud rate (Sytem,Utility) to match the Upload baud rate.",
                                  true, TextColor::kRed, 12};
    screen_.ResultLine = {"Click on <Start Upload> button", true, TextColor::kBlue, 12};
    screen_.UploadButton.Visible = true;
    const std::int32_t blockCount = session_.State().BlockCount;
    screen_.FileStatusLine = {"Upload will be " + std::to_string(blockCount) + " blocks," +
                                  upload::UploadTimeEstimate(blockCount, session_.Baudrate()),
                              true, TextColor::kBlue, screen_.FileStatusLine.FontPointSize};
    state_.Preparation = PreparationStep::kIdle;
}

void MainWindowModel::BadExtension() {
    screen_.PortStatusLine.Caption =
        "Unexpected file extension (" + state_.ChosenExtension + "), choose another file";
    // The operator chooses another file here and now, as the message says.
    screen_.ChooseFileButton.Visible = true;
    state_.Preparation = PreparationStep::kIdle;
}

image::ImagePreparation& MainWindowModel::Preparation() {
    if (!preparation_) {
        throw image::PreparationError("No file is being prepared; choose the file again");
    }
    return *preparation_;
}

void MainWindowModel::EmptyBinaryImage() {
    Preparation().EmptyBinaryFile();
    screen_.FileStatusLine.Caption = "Processing .H86 input file to .BIN binary file ...";
    state_.Preparation = PreparationStep::kConvertHexToBinary;
}

void MainWindowModel::ConvertHexToBinary() {
    Preparation().ReadHexInput(hexReader_);
    state_.EndOfInput = hexReader_.EndOfInput;
    screen_.FileStatusLine.Caption = "Processing .BIN file to .VXF format ...";
    state_.Preparation = PreparationStep::kCreateImageFile;
}

void MainWindowModel::CreateImageFile() {
    session_.ReleaseImage();
    Preparation().CreateImageFile();
    state_.Preparation = PreparationStep::kWriteImageFile;
}

void MainWindowModel::WriteImageFile() {
    image::PreparedImage prepared = Preparation().WriteImageFile(session_.Blocks());
    preparation_.reset();
    UseImage(std::move(prepared.ImageBytes), prepared.Upload.BlockCount, prepared.Upload.ChecksumText);
    state_.ChecksumText = prepared.Upload.ChecksumText;
    screen_.PortStatusLine = {"Data file conversion complete, chksums: " + state_.ChecksumText, true,
                              TextColor::kBlack, 0};
    screen_.RunPanel.Visible = true;
    state_.Preparation = PreparationStep::kShowRunPrompt;
}

void MainWindowModel::PreparationFailed(const std::string& reason) {
    preparation_.reset();
    session_.ReleaseImage();
    screen_.RunPanel.Visible = false;
    screen_.PortStatusLine = {"The file could not be prepared.", true, TextColor::kRed, 0};
    const bool endsSentence = !reason.empty() && reason.back() == '.';
    screen_.FileStatusLine = {reason + (endsSentence ? " " : ". ") + "Choose another file.", true,
                              TextColor::kRed, 0};
    screen_.ChooseFileButton.Visible = true;
    state_.Preparation = PreparationStep::kIdle;
}

}  // namespace flash410::window_model
