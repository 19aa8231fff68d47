// Choosing and preparing a file, tick by tick: the extension rules, each heavy step in its own tick,
// the run panel's texts, the case rule for the names formed, and failures that let the operator choose
// another file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/fake_serial_line.h"
#include "support/file_size_limit.h"
#include "support/firmware_files.h"
#include "support/folder_listing.h"
#include "support/temp_folder.h"
#include "window_model/main_window_model.h"

namespace flash410::window_model {
namespace {

namespace fs = std::filesystem;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

using test_support::HexRecord;
using test_support::MakeFirmwareImage;
using test_support::WriteUploadImageFile;

std::string Record(int type, unsigned address, const std::string& data) {
    return HexRecord(type, address, data);
}

// A HEX file with data at the start of each of the first blockCount 1 KiB chunks.
std::string HexWithBlocks(int blockCount) {
    test_support::FlashBytes image(4u * 1024 * 1024, 0xFF);
    for (int block = 0; block < blockCount; ++block) {
        std::fill_n(image.begin() + block * 1024, 16, static_cast<std::uint8_t>(block));
    }
    return test_support::ToIntelHex(image);
}

// What preparations wrote or left behind in the folder: ".BIN" and ".VXF" files and hidden ones.
using Names = std::vector<std::string>;
Names PreparedFilesIn(const std::string& folder) {
    Names prepared;
    for (const std::string& name : test_support::NamesIn(folder)) {
        const bool output = name.ends_with(".BIN") || name.ends_with(".VXF");
        if (output || name.starts_with(".")) {
            prepared.push_back(name);
        }
    }
    return prepared;
}

class FilePreparation : public ::testing::Test {
  protected:
    test_support::TempFolder temp_{"prepare"};  // declared first, so it is removed last
    FilePreparation() {
        folder_ = temp_.folder();
        model_ = std::make_unique<MainWindowModel>(
            WindowModelEnvironment{.clock = [] { return 36000.0; },
                                   .files = flash410::platform::BesideProgram(folder_),
                                   .chooseFile = [this](const std::string&) { return nextChoice_; },
                                   .testLine = &line_});
        model_->Activate();
        model_->OpenPort();
        model_->Tick();  // 5
        model_->Tick();  // 6
        model_->Tick();  // 10: the port is open, "Choose File" shown
    }
    ~FilePreparation() override { model_.reset(); }

    void Write(const std::string& name, const std::string& content) {
        std::ofstream(folder_ + name, std::ios::binary) << content;
    }
    std::string Read(const std::string& name) {
        std::ifstream file(folder_ + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    // Chooses the file in the folder, named in full as the chooser names it, and runs the ticks until the
    // sequencer idles again.
    void Choose(const std::string& name) {
        nextChoice_ = folder_ + name;
        model_->ChooseFile();
        for (int tick = 0; tick < 10 && !model_->Idle(); ++tick) {
            model_->Tick();
        }
    }
    ScreenState& Screen() { return model_->screen(); }
    WindowState& State() { return model_->state(); }
    const upload::DialogueState& Dialogue() { return model_->dialogue(); }

    std::string folder_;
    test_support::FakeSerialLine line_;
    std::optional<std::string> nextChoice_;
    std::unique_ptr<MainWindowModel> model_;
};

TEST_F(FilePreparation, AnIntelHexFileIsPreparedOneStepPerTickWithItsLabelShownFirst) {
    Write("fw.hex", HexWithBlocks(200));
    Screen().BaudList.ItemIndex = 0;
    nextChoice_ = folder_ + "fw.hex";
    model_->ChooseFile();
    EXPECT_FALSE(Screen().ChooseFileButton.Visible);
    EXPECT_EQ(State().ChosenExtension, "HEX");
    EXPECT_EQ(State().ChosenFileStem, folder_ + "fw");
    EXPECT_EQ(State().BinaryFileName, folder_ + "fw.BIN");
    EXPECT_EQ(State().ImageFileName, folder_ + "fw.VXF");
    EXPECT_EQ(State().HelpTopic, 4);
    EXPECT_EQ(Screen().PortStatusLine.Caption, "Preparing input file, please wait ...");
    EXPECT_EQ(Screen().PortStatusLine.Color, TextColor::kBlue);
    // The operator sees the file's bare name, as picked in the chooser.
    EXPECT_EQ(Screen().FileStatusLine.Caption, "Emptying binary file:  fw.BIN ...");
    EXPECT_EQ(State().Preparation, PreparationStep::kEmptyBinaryImage);

    model_->Tick();
    EXPECT_EQ(Screen().FileStatusLine.Caption, "Processing .H86 input file to .BIN binary file ...");
    EXPECT_EQ(State().Preparation, PreparationStep::kConvertHexToBinary);
    model_->Tick();
    EXPECT_TRUE(State().EndOfInput);
    EXPECT_EQ(Screen().FileStatusLine.Caption, "Processing .BIN file to .VXF format ...");
    EXPECT_EQ(State().Preparation, PreparationStep::kCreateImageFile);
    model_->Tick();
    EXPECT_EQ(State().Preparation, PreparationStep::kWriteImageFile);
    // The new files take their names only once the whole preparation has succeeded.
    EXPECT_FALSE(fs::exists(folder_ + "fw.BIN"));
    EXPECT_FALSE(fs::exists(folder_ + "fw.VXF"));
    model_->Tick();
    EXPECT_EQ(fs::file_size(folder_ + "fw.BIN"), 4u * 1024 * 1024);
    EXPECT_EQ(Dialogue().BlockCount, 200);
    EXPECT_EQ(fs::file_size(folder_ + "fw.VXF"), 200u * 1031 + 4);
    EXPECT_THAT(Screen().PortStatusLine.Caption, StartsWith("Data file conversion complete, chksums: "));
    EXPECT_EQ(Screen().PortStatusLine.Caption.size(),
              std::string("Data file conversion complete, chksums: ").size() + 4);
    EXPECT_EQ(State().ChecksumText,
              Screen().PortStatusLine.Caption.substr(Screen().PortStatusLine.Caption.size() - 4));
    EXPECT_EQ(Screen().PortStatusLine.Color, TextColor::kBlack);
    EXPECT_TRUE(Screen().RunPanel.Visible);
    EXPECT_EQ(State().Preparation, PreparationStep::kShowRunPrompt);

    line_.SetBaudrate(19200);
    model_->Tick();
    EXPECT_EQ(Screen().FileStatusLine.Caption, "Upload will be 200 blocks, about 1.8 minutes");
    EXPECT_EQ(Screen().FileStatusLine.Color, TextColor::kBlue);
    EXPECT_EQ(Screen().RunInstructionLine.Caption,
              "Set the modem baud rate (Sytem,Utility) to match the Upload baud rate.");
    EXPECT_EQ(Screen().RunInstructionLine.Color, TextColor::kRed);
    EXPECT_EQ(Screen().RunInstructionLine.FontPointSize, 12);
    EXPECT_EQ(Screen().ResultLine.Caption, "Click on <Start Upload> button");
    EXPECT_EQ(Screen().ResultLine.Color, TextColor::kBlue);
    EXPECT_TRUE(Screen().UploadButton.Visible);
    EXPECT_EQ(Screen().ProgressLine.Caption, "");
    EXPECT_EQ(State().Preparation, PreparationStep::kIdle);
}

TEST_F(FilePreparation, AllIntelHexExtensionsInAnyCase) {
    for (const char* name : {"a.h86", "b.MCS", "c.Hex"}) {
        Write(name, HexWithBlocks(3));
        Choose(name);
        EXPECT_EQ(Dialogue().BlockCount, 3) << name;
        EXPECT_THAT(Screen().PortStatusLine.Caption, StartsWith("Data file conversion complete")) << name;
    }
    EXPECT_TRUE(fs::exists(folder_ + "c.VXF"));
}

TEST_F(FilePreparation, AFlatBinaryIsCutIntoTheUploadImage) {
    std::string image(5 * 1024, '\xFF');
    image[0] = 1;
    image[4096] = 2;
    Write("fw.bin", image);  // shorter than the flash: the rest counts as erased
    Choose("fw.bin");
    EXPECT_EQ(State().BinaryFileName,
              folder_ + "fw.bin");  // the existing file, whatever the case of the formed name
    EXPECT_EQ(Dialogue().BlockCount, 2);
    EXPECT_EQ(fs::file_size(folder_ + "fw.VXF"), 2u * 1031 + 4);
    EXPECT_EQ(fs::file_size(folder_ + "fw.bin"), 5u * 1024);  // the input is only read
}

TEST_F(FilePreparation, AReadyImageGoesStraightToTheRunPanel) {
    WriteUploadImageFile(folder_ + "small.vxf", MakeFirmwareImage(3));
    ASSERT_EQ(Dialogue().UploadBaud, 38400);
    Choose("small.vxf");
    EXPECT_EQ(State().ImageFileName, folder_ + "small.vxf");
    EXPECT_EQ(Dialogue().BlockCount, 3);
    EXPECT_EQ(line_.Baudrate(), 38400);
    EXPECT_EQ(Screen().FileStatusLine.Caption, "Upload will be 3 blocks, less than 1 minute");
    EXPECT_TRUE(Screen().RunPanel.Visible);
}

TEST_F(FilePreparation, RepeatUploadRecountsTheImage) {
    WriteUploadImageFile(folder_ + "fw.vxf", MakeFirmwareImage(2));
    Choose("fw.vxf");
    EXPECT_EQ(Dialogue().BlockCount, 2);
    WriteUploadImageFile(folder_ + "fw.vxf", MakeFirmwareImage(7));
    Screen().RepeatUploadButton.Visible = true;
    model_->RepeatUpload();
    EXPECT_FALSE(Screen().RepeatUploadButton.Visible);
    EXPECT_EQ(State().Preparation, PreparationStep::kShowRunPrompt);
    model_->Tick();
    EXPECT_EQ(Dialogue().BlockCount, 7);
    EXPECT_THAT(Screen().FileStatusLine.Caption, StartsWith("Upload will be 7 blocks,"));
}

TEST_F(FilePreparation, TheLastDotOfTheBareNameDecidesTheExtension) {
    const std::pair<const char*, const char*> unexpected[] = {{"fw.bin.new", "NEW"},
                                                              {"fw.hex~", "HEX~"},
                                                              {"binary", ""},
                                                              {"fw.hexdump", "HEXDUMP"},
                                                              {"fw.txt", "TXT"}};
    for (const auto& [name, extension] : unexpected) {
        Write(name, std::string(1024, '\0'));
        Choose(name);
        EXPECT_EQ(State().ChosenExtension, extension) << name;
        EXPECT_EQ(Screen().PortStatusLine.Caption,
                  std::string("Unexpected file extension (") + extension + "), choose another file");
        EXPECT_TRUE(Screen().ChooseFileButton.Visible) << name;
        EXPECT_FALSE(Screen().RunPanel.Visible) << name;
    }
    EXPECT_EQ(PreparedFilesIn(folder_), Names{});

    // A "." elsewhere in the name or in a folder's name is no extension.
    fs::create_directory(folder_ + "sub.d");
    for (const char* name : {"fw.rev.hex", "sub.d/fw.hex"}) {
        Write(name, HexWithBlocks(1));
        Choose(name);
        EXPECT_EQ(State().ChosenExtension, "HEX") << name;
        EXPECT_EQ(Dialogue().BlockCount, 1) << name;
        EXPECT_TRUE(Screen().RunPanel.Visible) << name;
    }
    EXPECT_EQ(State().ChosenFileStem, folder_ + "sub.d/fw");
    EXPECT_TRUE(fs::exists(folder_ + "sub.d/fw.VXF"));
    EXPECT_TRUE(fs::exists(folder_ + "fw.rev.VXF"));
}

TEST_F(FilePreparation, AChosenBinIsReadNotAnOldOneWhoseNameDiffersOnlyInCase) {
    Write("FW.BIN", std::string(1024, '\x11'));      // left from an older release
    Write("fw.bin", std::string(2 * 1024, '\x22'));  // the one chosen
    Choose("fw.bin");
    EXPECT_EQ(State().BinaryFileName, folder_ + "fw.bin");
    EXPECT_EQ(Dialogue().BlockCount, 2);
    std::ifstream image(folder_ + "fw.VXF", std::ios::binary);
    char firstDataByte = 0;
    image.seekg(6).get(firstDataByte);
    EXPECT_EQ(firstDataByte, '\x22');
}

TEST_F(FilePreparation, FormedNamesFindAnExistingFileThatDiffersOnlyInCase) {
    Write("fw.hex", HexWithBlocks(2));
    WriteUploadImageFile(folder_ + "fw.vxf", MakeFirmwareImage(1));
    Write("fw.bin", std::string(4u * 1024 * 1024, '\x0D'));
    Choose("fw.hex");
    EXPECT_EQ(State().ImageFileName, folder_ + "fw.vxf");
    EXPECT_FALSE(fs::exists(folder_ + "fw.VXF"));
    EXPECT_FALSE(fs::exists(folder_ + "fw.BIN"));
    EXPECT_EQ(fs::file_size(folder_ + "fw.vxf"), 2u * 1031 + 4);  // overwritten, not a second file
}

TEST_F(FilePreparation, AMalformedHexFileIsNamedWithItsLineAndAnotherFileCanBeChosen) {
    Write("bad.hex", Record(0, 0, "AB") + ":10000000ZZ\r\n");
    Choose("bad.hex");
    EXPECT_EQ(State().Preparation, PreparationStep::kIdle);
    EXPECT_EQ(Screen().PortStatusLine.Caption, "The file could not be prepared.");
    EXPECT_EQ(Screen().PortStatusLine.Color, TextColor::kRed);
    EXPECT_THAT(Screen().FileStatusLine.Caption, HasSubstr("bad.hex"));
    EXPECT_THAT(Screen().FileStatusLine.Caption, HasSubstr("line 2"));
    EXPECT_FALSE(Screen().RunPanel.Visible);
    EXPECT_TRUE(Screen().ChooseFileButton.Visible);
    EXPECT_FALSE(fs::exists(folder_ + "bad.VXF"));  // the steps after the failure did not run

    Write("good.hex", HexWithBlocks(1));
    Choose("good.hex");
    EXPECT_EQ(Dialogue().BlockCount, 1);
    EXPECT_TRUE(Screen().RunPanel.Visible);
}

TEST_F(FilePreparation, AnImageThatCannotBeCreatedIsReportedWithItsName) {
    Write("fw.hex", HexWithBlocks(1));
    fs::create_directory(folder_ + "fw.VXF");  // a folder where the image should go
    Choose("fw.hex");
    EXPECT_EQ(Screen().PortStatusLine.Caption, "The file could not be prepared.");
    EXPECT_THAT(Screen().FileStatusLine.Caption, HasSubstr("fw.VXF"));
    EXPECT_TRUE(Screen().ChooseFileButton.Visible);
}

TEST_F(FilePreparation, DataOutsideTheFlashIsNotOffered) {
    Write("big.hex",
          Record(4, 0, std::string{'\0', '\x40'}) + Record(0, 0, std::string(8, 'x')) + HexWithBlocks(1));
    Choose("big.hex");
    EXPECT_EQ(Screen().PortStatusLine.Caption, "The file could not be prepared.");
    EXPECT_THAT(
        Screen().FileStatusLine.Caption,
        HasSubstr("big.hex, line 2: its data at address 400000 (hexadecimal) lies beyond the 4 MiB flash"));
    EXPECT_FALSE(Screen().RunPanel.Visible);
}

TEST_F(FilePreparation, CancelOrAVanishedFileLeaveNothingPrepared) {
    nextChoice_ = std::nullopt;
    model_->ChooseFile();
    EXPECT_TRUE(Screen().ChooseFileButton.Visible);  // Cancel: the button stays
    nextChoice_ = folder_ + "gone.hex";
    model_->ChooseFile();
    EXPECT_FALSE(Screen().ChooseFileButton.Visible);  // hidden all the same
    EXPECT_EQ(State().Preparation, PreparationStep::kIdle);
}

TEST_F(FilePreparation, ADamagedReadyImageIsRefusedNamingTheBlock) {
    WriteUploadImageFile(folder_ + "fw.vxf", MakeFirmwareImage(3));
    std::string image = Read("fw.vxf");
    image[1031 + 500] ^= 0x10;  // one bit of block 2, which lies at 000C00
    Write("fw.vxf", image);
    Choose("fw.vxf");
    EXPECT_EQ(Screen().PortStatusLine.Caption, "The file could not be prepared.");
    EXPECT_THAT(
        Screen().FileStatusLine.Caption,
        StartsWith("Cannot use " + folder_ + "fw.vxf, block 2 (address 000C00): the checksum byte is "));
    EXPECT_THAT(Screen().FileStatusLine.Caption, EndsWith(". Choose another file."));
    EXPECT_FALSE(Screen().RunPanel.Visible);
    EXPECT_TRUE(Screen().ChooseFileButton.Visible);
    EXPECT_EQ(State().Preparation, PreparationStep::kIdle);

    Write("cut.vxf", image.substr(0, 2 * 1031));
    Choose("cut.vxf");
    EXPECT_EQ(Screen().FileStatusLine.Caption,
              "Cannot use " + folder_ +
                  "cut.vxf: its 2062 bytes are not whole blocks of 1031 bytes and the 4-byte trailer, "
                  "so the "
                  "file is cut short or damaged. Choose another file.");
    EXPECT_FALSE(Screen().RunPanel.Visible);
}

TEST_F(FilePreparation, RepeatUploadChecksTheImageAgain) {
    WriteUploadImageFile(folder_ + "fw.vxf", MakeFirmwareImage(2));
    Choose("fw.vxf");
    ASSERT_TRUE(Screen().RunPanel.Visible);
    Write("fw.vxf", Read("fw.vxf").substr(0, 1031));
    model_->RepeatUpload();
    EXPECT_EQ(Screen().PortStatusLine.Caption, "The file could not be prepared.");
    EXPECT_THAT(Screen().FileStatusLine.Caption,
                StartsWith("Cannot use " + folder_ + "fw.vxf: its 1031 bytes are not whole blocks"));
    EXPECT_FALSE(Screen().RunPanel.Visible);
    EXPECT_EQ(State().Preparation, PreparationStep::kIdle);
}

TEST_F(FilePreparation, AFileWithoutDataForTheFlashIsNotOffered) {
    Write("end.hex", ":00000001FF\r\n");
    Write("erased.bin", std::string(4096, '\xFF'));
    Write("empty.vxf", "0000");
    for (const std::string name : {"end.hex", "erased.bin", "empty.vxf"}) {
        Choose(name);
        EXPECT_EQ(Screen().PortStatusLine.Caption, "The file could not be prepared.") << name;
        EXPECT_EQ(Screen().FileStatusLine.Caption,
                  folder_ + name + " holds no data for the flash. Choose another file.");
        EXPECT_FALSE(Screen().RunPanel.Visible) << name;
        EXPECT_TRUE(Screen().ChooseFileButton.Visible) << name;
        EXPECT_EQ(State().Preparation, PreparationStep::kIdle) << name;
    }
    EXPECT_EQ(PreparedFilesIn(folder_), Names{});
}

// Old outputs beside fw.hex, to see whether a preparation touched them.
class FilePreparationOverOldFiles : public FilePreparation {
  protected:
    FilePreparationOverOldFiles() {
        Write("fw.BIN", oldBinary_);
        WriteUploadImageFile(folder_ + "fw.VXF", MakeFirmwareImage(1));
        oldImage_ = Read("fw.VXF");
        Write("fw.hex", HexWithBlocks(3));
    }
    void ExpectOldFilesOnly() {
        EXPECT_TRUE(Read("fw.BIN") == oldBinary_);
        EXPECT_EQ(Read("fw.VXF"), oldImage_);
        EXPECT_EQ(PreparedFilesIn(folder_), (Names{"fw.BIN", "fw.VXF"}));
    }

    const std::string oldBinary_ = std::string(4u * 1024 * 1024, '\x0D');  // an earlier preparation's
    std::string oldImage_;
};

TEST_F(FilePreparationOverOldFiles, GoingBackToStartBetweenTheStepsLeavesTheFilesAsTheyWere) {
    for (int ticks = 0; ticks < 4; ++ticks) {  // stopped before 104, 112, 123 or 124
        nextChoice_ = folder_ + "fw.hex";
        model_->ChooseFile();
        for (int tick = 0; tick < ticks; ++tick) {
            model_->Tick();
        }
        model_->GoBackToStart();
        model_->Tick();
        ExpectOldFilesOnly();
        model_->OpenPort();
        model_->Tick();
        model_->Tick();
        model_->Tick();
    }
    Choose("fw.hex");  // and done in full, it replaces both
    EXPECT_EQ(fs::file_size(folder_ + "fw.BIN"), 4u * 1024 * 1024);
    EXPECT_EQ(fs::file_size(folder_ + "fw.VXF"), 3u * 1031 + 4);
    EXPECT_EQ(PreparedFilesIn(folder_), (Names{"fw.BIN", "fw.VXF"}));
}

TEST_F(FilePreparationOverOldFiles, ClosingTheProgramBetweenTheStepsLeavesTheFilesAsTheyWere) {
    nextChoice_ = folder_ + "fw.hex";
    model_->ChooseFile();
    model_->Tick();  // 104
    model_->Tick();  // 112
    model_->Tick();  // 123
    model_->Close();
    model_->WindowClosing();
    ExpectOldFilesOnly();
}

TEST_F(FilePreparationOverOldFiles, AFailedConversionLeavesTheFilesAsTheyWere) {
    Write("fw.hex", Record(0, 0, "AB") + ":10000000ZZ\r\n");
    Choose("fw.hex");
    EXPECT_EQ(Screen().PortStatusLine.Caption, "The file could not be prepared.");
    ExpectOldFilesOnly();
}

TEST_F(FilePreparationOverOldFiles, AFullDiskLeavesNoPartialUploadImage) {
    // The binary image fits the 4 MiB a file may grow to; an upload image of 4096 blocks does not.
    Write("fw.bin", std::string(4u * 1024 * 1024, '\0'));
    const auto run = test_support::RunWithFileSizeLimit(4u * 1024 * 1024, [&](std::string& report) {
        Choose("fw.bin");
        report = Screen().PortStatusLine.Caption + "\n" + Screen().FileStatusLine.Caption;
        return Screen().RunPanel.Visible ? 1 : 0;
    });
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Report, "The file could not be prepared.\nCannot write " + folder_ +
                              "fw.VXF: File too large. Choose another file.");
    ExpectOldFilesOnly();
}

TEST_F(FilePreparationOverOldFiles, APlantedLinkToAnotherFileIsNeitherWrittenThroughNorReplaced) {
    fs::create_directory(folder_ + "elsewhere");
    Write("elsewhere/precious", "precious");
    fs::remove(folder_ + "fw.VXF");
    fs::create_symlink(folder_ + "elsewhere/precious", folder_ + "fw.VXF");
    Choose("fw.hex");
    EXPECT_EQ(Screen().PortStatusLine.Caption, "The file could not be prepared.");
    EXPECT_EQ(Screen().FileStatusLine.Caption,
              folder_ + "fw.VXF is not a prepared image: move it or choose it. Choose another file.");
    EXPECT_EQ(Read("elsewhere/precious"), "precious");
    EXPECT_TRUE(fs::is_symlink(folder_ + "fw.VXF"));
}

}  // namespace
}  // namespace flash410::window_model
