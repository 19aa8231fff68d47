// The preparation of a chosen file: its extension decides whether it is converted from Intel HEX,
// cut from a flat binary image or taken as a ready upload image; each heavy step has a tick of its own,
// with its label set in the tick before so that the window shows it while the step runs.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <utility>

#include "image/file_name_case.h"
#include "image/hex_input.h"
#include "image/preparation_error.h"
#include "image/upload_image.h"
#include "upload_sequencer.h"

namespace uflash8 {

namespace image = flash410::image;

namespace {

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// Names are formed with upper-case extensions; an existing file whose name differs only in case is the
// file meant.
std::string FormName(const std::string& stem, const char* extension) {
    return image::ResolveFileNameCase(stem + extension).string();
}

}  // namespace

void UploadSequencer::BtnChooseFileClick() {
    state_.EndOfInput = false;
    const std::optional<std::string> chosen =
        environment_.chooseFile ? environment_.chooseFile(screen_.ChooserFilter) : std::nullopt;
    if (!chosen) {
        return;  // Cancel: "Choose File" stays
    }
    state_.ChosenFile = *chosen;
    std::error_code error;
    if (std::filesystem::exists(state_.ChosenFile, error)) {
        try {
            PrepareChosenFile();
        } catch (const image::PreparationError& failure) {
            PreparationFailed(failure.what());
            return;
        }
    }
    screen_.BtnChooseFile.Visible = false;
}

void UploadSequencer::PrepareChosenFile() {
    screen_.Gauge.Visible = false;
    // The first "." anywhere in the name decides, and only three characters after it count.
    const std::size_t dot = state_.ChosenFile.find('.');
    const std::size_t extensionStart = dot == std::string::npos ? 0 : dot + 1;
    state_.ChosenExtension = UpperCase(state_.ChosenFile.substr(extensionStart, 3));
    state_.ChosenFileStem = dot == std::string::npos ? std::string() : state_.ChosenFile.substr(0, dot);
    state_.BinaryImageRecords = image::BinaryImageRecords;
    preparationNote_.clear();

    const std::string& extension = state_.ChosenExtension;
    if (extension == "MCS" || extension == "H86" || extension == "HEX") {
        screen_.RunBox.Visible = false;
        state_.HelpTopic = 4;
        state_.ImageFileName = FormName(state_.ChosenFileStem, ".VXF");
        state_.BinaryFileName = FormName(state_.ChosenFileStem, ".BIN");
        screen_.Label12 = {"Preparing input file, please wait ...", true, TextColor::kBlue, 0};
        screen_.Label8.Caption = "Emptying binary file:  " + state_.BinaryFileName + " ...";
        state_.SequencerState = 104;
    }
    if (extension == "BIN") {
        screen_.RunBox.Visible = false;
        state_.HelpTopic = 4;
        state_.BinaryFileName = FormName(state_.ChosenFileStem, ".BIN");
        state_.ImageFileName = FormName(state_.ChosenFileStem, ".VXF");
        screen_.Label12 = {"Preparing input file, please wait ...", true, TextColor::kBlue, 0};
        screen_.Label8.Caption = "Converting .BIN file to .VXF format ...";
        binaryFile_ = image::BinaryImageFile::OpenForReading(state_.BinaryFileName);
        state_.SequencerState = 123;
    }
    if (extension == "VXF") {
        state_.ImageFileName = state_.ChosenFile;
        SetUpRunPanel();
    }
    if (state_.SequencerState < 40) {
        state_.SequencerState = 102;
    }
}

void UploadSequencer::SetUpRunPanel() {
    screen_.Gauge.Progress = 0;
    screen_.Gauge.Visible = false;
    screen_.Label10.Visible = false;
    screen_.Label2.Caption.clear();
    screen_.Label12.Caption.clear();
    imageFile_.reset();
    imageFile_ = image::ByteFile::OpenForReading(state_.ImageFileName);
    screen_.BtnRepeatUpload.Visible = false;
    screen_.RunBox.Visible = true;
    screen_.BtnStartRun.Visible = true;
    state_.HelpTopic = 4;
    state_.BlockCount = static_cast<std::int32_t>(imageFile_->Size() / image::BlockSize);
    environment_.serial->SetBaudrate(state_.UploadBaud);
    state_.SequencerState = 42;
}

void UploadSequencer::BtnRepeatUploadClick() {
    screen_.BtnRepeatUpload.Visible = false;
    try {
        SetUpRunPanel();
    } catch (const image::PreparationError& failure) {
        PreparationFailed(failure.what());
    }
}

void UploadSequencer::ShowRunPrompt() {
    // A note from the preparation takes the progress line until the upload starts.
    screen_.Label2.Caption = std::exchange(preparationNote_, std::string());
    screen_.Label2.Color = screen_.Label2.Caption.empty() ? TextColor::kBlue : TextColor::kRed;
    screen_.Label15 = {"Set the modem baud rate (Sytem,Utility) to match the Upload baud rate.", true,
                       TextColor::kRed, 12};
    screen_.Label4 = {"Click on <Start Upload> button", true, TextColor::kBlue, 12};
    screen_.BtnStartRun.Visible = true;
    screen_.Label8 = {
        "Upload will be " + std::to_string(state_.BlockCount) + " blocks," + UploadTimeEstimate(), true,
        TextColor::kBlue, screen_.Label8.FontPointSize};
    state_.SequencerState = 0;
}

void UploadSequencer::BadExtension() {
    screen_.Label12.Caption =
        "Unexpected file extension (" + state_.ChosenExtension + "), choose another file";
    // The operator chooses another file here and now, as the message says.
    screen_.BtnChooseFile.Visible = true;
    state_.SequencerState = 0;
}

void UploadSequencer::EmptyBinaryImage() {
    binaryFile_ = image::EmptyBinaryFile(state_.BinaryFileName);
    screen_.Label8.Caption = "Processing .H86 input file to .BIN binary file ...";
    state_.SequencerState = 112;
}

void UploadSequencer::ConvertHexToBinary() {
    image::ReadHexInput(state_.ChosenFile, *binaryFile_, hexReader_);
    state_.EndOfInput = hexReader_.EndOfInput;
    if (hexReader_.BytesOutsideImage > 0) {
        preparationNote_ = std::to_string(hexReader_.BytesOutsideImage) +
                           " bytes of the file lie outside the 4 MiB flash and are not uploaded.";
    }
    screen_.Label8.Caption = "Processing .BIN file to .VXF format ...";
    state_.SequencerState = 123;
}

void UploadSequencer::CreateImageFile() {
    imageFile_.reset();
    imageFile_ = image::ByteFile::Create(state_.ImageFileName);
    state_.SequencerState = 124;
}

void UploadSequencer::WriteImageFile() {
    if (const std::uint64_t beyond = binaryFile_->BytesBeyondImage(); beyond > 0) {
        preparationNote_ =
            std::to_string(beyond) + " bytes of the file lie beyond the 4 MiB flash and are not uploaded.";
    }
    const image::UploadImageResult result =
        image::WriteUploadImage(std::move(*binaryFile_), *imageFile_, blockBuffer_);
    binaryFile_.reset();
    state_.BlockCount = result.BlockCount;
    state_.LastReply = result.ChecksumText;
    screen_.Label12 = {"Data file conversion complete, chksums: " + state_.LastReply, true, TextColor::kBlack,
                       0};
    screen_.RunBox.Visible = true;
    state_.SequencerState = 42;
}

void UploadSequencer::PreparationFailed(const std::string& reason) {
    binaryFile_.reset();
    imageFile_.reset();
    preparationNote_.clear();
    screen_.RunBox.Visible = false;
    screen_.Label12 = {"The file could not be prepared.", true, TextColor::kRed, 0};
    const bool endsSentence = !reason.empty() && reason.back() == '.';
    screen_.Label8 = {reason + (endsSentence ? " " : ". ") + "Choose another file.", true, TextColor::kRed,
                      0};
    screen_.BtnChooseFile.Visible = true;
    state_.SequencerState = 0;
}

}  // namespace uflash8
