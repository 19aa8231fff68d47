// Choosing and preparing a file, tick by tick: the extension rules, each heavy step in its own tick,
// the run panel's texts, the case rule for the names formed, and failures that let the operator choose
// another file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "fake_serial_line.h"
#include "firmware_files.h"
#include "upload_sequencer.h"

namespace uflash8 {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

using flash410::testing::HexRecord;

std::string Record(int type, unsigned address, const std::string& data) {
    return HexRecord(type, address, data);
}

// A HEX file with data at the start of each of the first blockCount 1 KiB chunks.
std::string HexWithBlocks(int blockCount) {
    flash410::testing::FlashBytes image(4u * 1024 * 1024, 0xFF);
    for (int block = 0; block < blockCount; ++block) {
        std::fill_n(image.begin() + block * 1024, 16, static_cast<std::uint8_t>(block));
    }
    return flash410::testing::ToIntelHex(image);
}

class FilePreparation : public ::testing::Test {
  protected:
    FilePreparation() {
        std::string pattern = (fs::temp_directory_path() / "flash410-prepare-XXXXXX").string();
        folder_ = std::string(mkdtemp(pattern.data())) + "/";
        previousDirectory_ = fs::current_path();
        fs::current_path(folder_);  // the chooser leaves the process in the chosen file's folder
        core_ = std::make_unique<UploadSequencer>(
            CoreEnvironment{&line_,
                            {},
                            [] { return 36000.0; },
                            flash410::BesideProgram(folder_),
                            [this](const std::string&) { return nextChoice_; }});
        core_->FormActivate();
        core_->Btn2UploadClick();
        core_->Timer1Timer();  // 5
        core_->Timer1Timer();  // 6
        core_->Timer1Timer();  // 10: the port is open, "Choose File" shown
    }
    ~FilePreparation() override {
        core_.reset();
        fs::current_path(previousDirectory_);
        fs::remove_all(folder_);
    }

    void Write(const std::string& name, const std::string& content) {
        std::ofstream(folder_ + name, std::ios::binary) << content;
    }
    // Chooses the file and runs the ticks until the sequencer idles again.
    void Choose(const std::string& name) {
        nextChoice_ = name;
        core_->BtnChooseFileClick();
        for (int tick = 0; tick < 10 && core_->state().SequencerState != 0; ++tick) {
            core_->Timer1Timer();
        }
    }
    ScreenState& Screen() { return core_->screen(); }
    ProgramState& State() { return core_->state(); }

    std::string folder_;
    fs::path previousDirectory_;
    testing::FakeSerialLine line_;
    std::optional<std::string> nextChoice_;
    std::unique_ptr<UploadSequencer> core_;
};

TEST_F(FilePreparation, AnIntelHexFileIsPreparedOneStepPerTickWithItsLabelShownFirst) {
    Write("fw.hex", HexWithBlocks(200));
    Screen().BaudRateBox.ItemIndex = 0;
    State().UploadBaud = 19200;
    nextChoice_ = "fw.hex";
    core_->BtnChooseFileClick();
    EXPECT_FALSE(Screen().BtnChooseFile.Visible);
    EXPECT_EQ(State().ChosenExtension, "HEX");
    EXPECT_EQ(State().ChosenFileStem, "fw");
    EXPECT_EQ(State().BinaryFileName, "fw.BIN");
    EXPECT_EQ(State().ImageFileName, "fw.VXF");
    EXPECT_EQ(State().HelpTopic, 4);
    EXPECT_EQ(Screen().Label12.Caption, "Preparing input file, please wait ...");
    EXPECT_EQ(Screen().Label12.Color, TextColor::kBlue);
    EXPECT_EQ(Screen().Label8.Caption, "Emptying binary file:  fw.BIN ...");
    EXPECT_EQ(State().SequencerState, 104);

    core_->Timer1Timer();
    EXPECT_EQ(fs::file_size(folder_ + "fw.BIN"), 4u * 1024 * 1024);
    EXPECT_EQ(Screen().Label8.Caption, "Processing .H86 input file to .BIN binary file ...");
    EXPECT_EQ(State().SequencerState, 112);
    core_->Timer1Timer();
    EXPECT_TRUE(State().EndOfInput);
    EXPECT_EQ(Screen().Label8.Caption, "Processing .BIN file to .VXF format ...");
    EXPECT_EQ(State().SequencerState, 123);
    core_->Timer1Timer();
    EXPECT_TRUE(fs::exists(folder_ + "fw.VXF"));
    EXPECT_EQ(State().SequencerState, 124);
    core_->Timer1Timer();
    EXPECT_EQ(State().BlockCount, 200);
    EXPECT_EQ(fs::file_size(folder_ + "fw.VXF"), 200u * 1031 + 4);
    EXPECT_THAT(Screen().Label12.Caption, StartsWith("Data file conversion complete, chksums: "));
    EXPECT_EQ(Screen().Label12.Caption.size(),
              std::string("Data file conversion complete, chksums: ").size() + 4);
    EXPECT_EQ(State().LastReply, Screen().Label12.Caption.substr(Screen().Label12.Caption.size() - 4));
    EXPECT_EQ(Screen().Label12.Color, TextColor::kBlack);
    EXPECT_TRUE(Screen().RunBox.Visible);
    EXPECT_EQ(State().SequencerState, 42);

    line_.SetBaudrate(19200);
    core_->Timer1Timer();
    EXPECT_EQ(Screen().Label8.Caption, "Upload will be 200 blocks, about 4 minutes");
    EXPECT_EQ(Screen().Label8.Color, TextColor::kBlue);
    EXPECT_EQ(Screen().Label15.Caption,
              "Set the modem baud rate (Sytem,Utility) to match the Upload baud rate.");
    EXPECT_EQ(Screen().Label15.Color, TextColor::kRed);
    EXPECT_EQ(Screen().Label15.FontPointSize, 12);
    EXPECT_EQ(Screen().Label4.Caption, "Click on <Start Upload> button");
    EXPECT_EQ(Screen().Label4.Color, TextColor::kBlue);
    EXPECT_TRUE(Screen().BtnStartRun.Visible);
    EXPECT_EQ(Screen().Label2.Caption, "");
    EXPECT_EQ(State().SequencerState, 0);
}

TEST_F(FilePreparation, AllIntelHexExtensionsAndOnlyThreeCharactersCount) {
    for (const char* name : {"a.h86", "b.MCS", "c.Hex", "d.hexdump"}) {
        Write(name, HexWithBlocks(3));
        Choose(name);
        EXPECT_EQ(State().BlockCount, 3) << name;
        EXPECT_THAT(Screen().Label12.Caption, StartsWith("Data file conversion complete")) << name;
    }
    EXPECT_TRUE(fs::exists(folder_ + "d.VXF"));
}

TEST_F(FilePreparation, AFlatBinaryIsCutIntoTheUploadImage) {
    std::string image(5 * 1024, '\xFF');
    image[0] = 1;
    image[4096] = 2;
    Write("fw.bin", image);  // shorter than the flash: the rest counts as erased
    Choose("fw.bin");
    EXPECT_EQ(State().BinaryFileName, "fw.bin");  // the existing file, whatever the case of the formed name
    EXPECT_EQ(State().BlockCount, 2);
    EXPECT_EQ(fs::file_size(folder_ + "fw.VXF"), 2u * 1031 + 4);
    EXPECT_EQ(fs::file_size(folder_ + "fw.bin"), 5u * 1024);  // the input is only read
}

TEST_F(FilePreparation, AReadyImageGoesStraightToTheRunPanel) {
    Write("small.vxf", "12345");
    State().UploadBaud = 38400;
    Choose("small.vxf");
    EXPECT_EQ(State().ImageFileName, "small.vxf");
    EXPECT_EQ(State().BlockCount, 0);
    EXPECT_EQ(line_.Baudrate(), 38400);
    EXPECT_EQ(Screen().Label8.Caption, "Upload will be 0 blocks, less than 1 minute");
    EXPECT_TRUE(Screen().RunBox.Visible);
}

TEST_F(FilePreparation, RepeatUploadRecountsTheImage) {
    Write("fw.vxf", std::string(1031 * 2 + 4, 'x'));
    Choose("fw.vxf");
    EXPECT_EQ(State().BlockCount, 2);
    Write("fw.vxf", std::string(1031 * 7 + 4, 'x'));
    Screen().BtnRepeatUpload.Visible = true;
    core_->BtnRepeatUploadClick();
    EXPECT_FALSE(Screen().BtnRepeatUpload.Visible);
    EXPECT_EQ(State().SequencerState, 42);
    core_->Timer1Timer();
    EXPECT_EQ(State().BlockCount, 7);
    EXPECT_THAT(Screen().Label8.Caption, StartsWith("Upload will be 7 blocks,"));
}

TEST_F(FilePreparation, TheFirstDotDecidesTheExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"fw.rev.hex", "REV"}, {"fw", "FW"}, {"fw.txt", "TXT"}, {"rel.2/fw.hex", "2/F"}};
    fs::create_directory(folder_ + "rel.2");
    for (const auto& [name, extension] : cases) {
        Write(name, HexWithBlocks(1));
        Choose(name);
        EXPECT_EQ(State().ChosenExtension, extension) << name;
        EXPECT_EQ(Screen().Label12.Caption,
                  std::string("Unexpected file extension (") + extension + "), choose another file");
        EXPECT_TRUE(Screen().BtnChooseFile.Visible) << name;
    }
}

TEST_F(FilePreparation, FormedNamesFindAnExistingFileThatDiffersOnlyInCase) {
    Write("fw.hex", HexWithBlocks(2));
    Write("fw.vxf", "old image");
    Write("fw.bin", "old binary");
    Choose("fw.hex");
    EXPECT_EQ(State().ImageFileName, "fw.vxf");
    EXPECT_FALSE(fs::exists(folder_ + "fw.VXF"));
    EXPECT_FALSE(fs::exists(folder_ + "fw.BIN"));
    EXPECT_EQ(fs::file_size(folder_ + "fw.vxf"), 2u * 1031 + 4);  // overwritten, not a second file
}

TEST_F(FilePreparation, AMalformedHexFileIsNamedWithItsLineAndAnotherFileCanBeChosen) {
    Write("bad.hex", Record(0, 0, "AB") + ":10000000ZZ\r\n");
    Choose("bad.hex");
    EXPECT_EQ(State().SequencerState, 0);
    EXPECT_EQ(Screen().Label12.Caption, "The file could not be prepared.");
    EXPECT_EQ(Screen().Label12.Color, TextColor::kRed);
    EXPECT_THAT(Screen().Label8.Caption, HasSubstr("bad.hex"));
    EXPECT_THAT(Screen().Label8.Caption, HasSubstr("line 2"));
    EXPECT_FALSE(Screen().RunBox.Visible);
    EXPECT_TRUE(Screen().BtnChooseFile.Visible);
    EXPECT_FALSE(fs::exists(folder_ + "bad.VXF"));  // the steps after the failure did not run

    Write("good.hex", HexWithBlocks(1));
    Choose("good.hex");
    EXPECT_EQ(State().BlockCount, 1);
    EXPECT_TRUE(Screen().RunBox.Visible);
}

TEST_F(FilePreparation, AnImageThatCannotBeCreatedIsReportedWithItsName) {
    Write("fw.hex", HexWithBlocks(1));
    fs::create_directory(folder_ + "fw.VXF");  // a folder where the image should go
    Choose("fw.hex");
    EXPECT_EQ(Screen().Label12.Caption, "The file could not be prepared.");
    EXPECT_THAT(Screen().Label8.Caption, HasSubstr("fw.VXF"));
    EXPECT_TRUE(Screen().BtnChooseFile.Visible);
}

TEST_F(FilePreparation, DataOutsideTheFlashIsReportedOnTheRunPanel) {
    Write("big.hex",
          Record(4, 0, std::string{'\0', '\x40'}) + Record(0, 0, std::string(8, 'x')) + HexWithBlocks(1));
    Choose("big.hex");
    EXPECT_EQ(State().BlockCount, 1);
    EXPECT_EQ(Screen().Label2.Caption,
              "8 bytes of the file lie outside the 4 MiB flash and are not uploaded.");
    EXPECT_EQ(Screen().Label2.Color, TextColor::kRed);
}

TEST_F(FilePreparation, CancelOrAVanishedFileLeaveNothingPrepared) {
    nextChoice_ = std::nullopt;
    core_->BtnChooseFileClick();
    EXPECT_TRUE(Screen().BtnChooseFile.Visible);  // Cancel: the button stays
    nextChoice_ = "gone.hex";
    core_->BtnChooseFileClick();
    EXPECT_FALSE(Screen().BtnChooseFile.Visible);  // hidden all the same
    EXPECT_EQ(State().SequencerState, 0);
}

}  // namespace
}  // namespace uflash8
