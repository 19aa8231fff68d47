// A preparation replaces the binary image and the upload image only once it has wholly succeeded:
// dropped after any step, refused for want of data, or stopped by a full disk, it leaves the files that
// were there as they were and nothing of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "image/chosen_file_names.h"
#include "image/image_preparation.h"
#include "image/preparation_error.h"
#include "support/file_size_limit.h"
#include "support/folder_listing.h"
#include "support/temp_folder.h"
#include "test_files.h"

namespace flash410::image {
namespace {

namespace fs = std::filesystem;
using test_support::NamesIn;
using test_support::TempFolder;
using namespace testing;

using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

class ImagePreparationTest : public ::testing::Test {
  protected:
    ImagePreparationTest() {
        testing::WritePreparedImages(folder_ / "fw.BIN", folder_ / "fw.VXF", 0x0D, kTestFlash);
        oldBinary_ = ReadFile(folder_ / "fw.BIN");
        oldImage_ = ReadFile(folder_ / "fw.VXF");
    }

    ChosenFileNames Chosen(const std::string& name) const {
        return FormChosenFileNames((folder_ / name).string());
    }

    // Runs the steps of the preparation in order, the first count of them, and returns it unfinished.
    ImagePreparation RunSteps(const ChosenFileNames& names, int count) {
        ImagePreparation preparation(names, kTestFlash);
        std::vector<std::function<void()>> steps;
        if (names.Kind == ChosenFileKind::kIntelHex) {
            steps.push_back([&] { preparation.EmptyBinaryFile(); });
            steps.push_back([&] { preparation.ReadHexInput(state_); });
        }
        steps.push_back([&] { preparation.CreateImageFile(); });
        for (int step = 0; step < count && step < static_cast<int>(steps.size()); ++step) {
            steps[static_cast<std::size_t>(step)]();
        }
        return preparation;
    }

    std::string Refusal(const ChosenFileNames& names) {
        try {
            ImagePreparation preparation = RunSteps(names, 3);
            preparation.WriteImageFile(blockBuffer_);
        } catch (const PreparationError& failure) {
            return failure.what();
        }
        return "no refusal";
    }

    void ExpectOldContents() const {
        EXPECT_EQ(ReadFile(folder_ / "fw.BIN"), oldBinary_);
        EXPECT_EQ(ReadFile(folder_ / "fw.VXF"), oldImage_);
    }

    void ExpectOldFilesOnly(Names inputs) const {
        inputs.push_back("fw.BIN");
        inputs.push_back("fw.VXF");
        std::sort(inputs.begin(), inputs.end());
        EXPECT_EQ(NamesIn(folder_.path()), inputs);
        ExpectOldContents();
    }

    TempFolder folder_;
    Bytes oldBinary_;
    Bytes oldImage_;
    HexReaderState state_;
    BlockBuffer blockBuffer_{};
};

TEST_F(ImagePreparationTest, BothFilesAreReplacedTogetherAtTheLastStep) {
    WriteFile(folder_ / "fw.hex", HexText({HexRecord(0, 0x10, {1, 2, 3}), std::string(EndOfFileRecord)}));
    ImagePreparation preparation = RunSteps(Chosen("fw.hex"), 3);
    ExpectOldContents();
    EXPECT_EQ(NamesIn(folder_.path()).size(), 5u);  // the new files are still beside the old ones

    const PreparedImage prepared = preparation.WriteImageFile(blockBuffer_);
    EXPECT_EQ(NamesIn(folder_.path()), (Names{"fw.BIN", "fw.VXF", "fw.hex"}));
    Bytes flash = ErasedImage();
    flash[0x10] = 1;
    flash[0x11] = 2;
    flash[0x12] = 3;
    EXPECT_EQ(ReadFile(folder_ / "fw.BIN"), flash);
    EXPECT_EQ(ReadFile(folder_ / "fw.VXF").size(), kBlockSize + kChecksumDigits);
    EXPECT_EQ(prepared.Upload.BlockCount, 1);
    EXPECT_EQ(*prepared.ImageBytes, ReadFile(folder_ / "fw.VXF"));
}

// Two uploads of one file: the second finds the files the first made, which that upload may be reading,
// and keeps them as they are (unchanged since yesterday) rather than replacing them.
TEST_F(ImagePreparationTest, APreparationThatWouldWriteTheSameBytesKeepsTheFilesInPlace) {
    WriteFile(folder_ / "fw.hex", HexText({HexRecord(0, 0x10, {1, 2, 3}), std::string(EndOfFileRecord)}));
    const PreparedImage first = PrepareAtOnce(Chosen("fw.hex"), kTestFlash);
    const auto yesterday = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(folder_ / "fw.BIN", yesterday);
    fs::last_write_time(folder_ / "fw.VXF", yesterday);

    const PreparedImage second = PrepareAtOnce(Chosen("fw.hex"), kTestFlash);
    EXPECT_EQ(*second.ImageBytes, *first.ImageBytes);
    EXPECT_LT(fs::last_write_time(folder_ / "fw.BIN"), yesterday + std::chrono::hours(1));
    EXPECT_LT(fs::last_write_time(folder_ / "fw.VXF"), yesterday + std::chrono::hours(1));
    EXPECT_EQ(NamesIn(folder_.path()), (Names{"fw.BIN", "fw.VXF", "fw.hex"}));
}

TEST_F(ImagePreparationTest, APreparationDroppedAfterAnyStepLeavesTheFilesAsTheyWere) {
    WriteFile(folder_ / "fw.hex", HexText({HexRecord(0, 0, {1}), std::string(EndOfFileRecord)}));
    for (int steps = 0; steps <= 3; ++steps) {
        RunSteps(Chosen("fw.hex"), steps);
        ExpectOldFilesOnly({"fw.hex"});
    }
    WriteFile(folder_ / "fw.bin", "\x01");
    RunSteps(Chosen("fw.bin"), 1);
    ExpectOldFilesOnly({"fw.bin", "fw.hex"});
}

TEST_F(ImagePreparationTest, AStopBetweenTheStepsRemovesWhatThePreparationBegan) {
    WriteFile(folder_ / "fw.hex", HexText({HexRecord(0, 0, {1}), std::string(EndOfFileRecord)}));
    for (int stopAt = 1; stopAt <= 4; ++stopAt) {  // before the start, then after each of three steps
        int asked = 0;
        EXPECT_THROW(PrepareAtOnce(Chosen("fw.hex"), kTestFlash, [&] { return ++asked == stopAt; }),
                     PreparationStopped);
        EXPECT_EQ(asked, stopAt);
        ExpectOldFilesOnly({"fw.hex"});
    }
}

TEST_F(ImagePreparationTest, AChosenBinFileIsReadItselfAndOnlyTheUploadImageWritten) {
    WriteFile(folder_ / "FW.bin", std::string(kChunkSize, '\0'));
    WriteFile(folder_ / "fw.bin", "\x01\x02");
    ImagePreparation preparation = RunSteps(Chosen("fw.bin"), 1);
    const PreparedImage prepared = preparation.WriteImageFile(blockBuffer_);
    const Bytes vxf = ReadFile(folder_ / "fw.VXF");
    ASSERT_EQ(vxf.size(), kBlockSize + kChecksumDigits);
    EXPECT_EQ(vxf[kBlockAddressDigits], 0x01);
    EXPECT_EQ(vxf[kBlockAddressDigits + 1], 0x02);
    EXPECT_EQ(vxf[kBlockAddressDigits + 2], 0xFF);
    EXPECT_EQ(ReadFile(folder_ / "fw.BIN"), oldBinary_);
}

TEST_F(ImagePreparationTest, AnImageWithoutABlockIsRefusedAndReplacesNothing) {
    WriteFile(folder_ / "end.hex", HexText({std::string(EndOfFileRecord)}));
    EXPECT_EQ(Refusal(Chosen("end.hex")), (folder_ / "end.hex").string() + " holds no data for the flash");

    WriteFile(folder_ / "erased.bin", ErasedImage());
    EXPECT_EQ(Refusal(Chosen("erased.bin")),
              (folder_ / "erased.bin").string() + " holds no data for the flash");

    // Data the flash has no room for would be missing from the modem: the whole file is refused.
    WriteFile(folder_ / "high.hex", HexText({HexRecord(0, 0, {9}), ExtendedLinearAddress(0x0005),
                                             HexRecord(0, 0, {1, 2, 3, 4}), std::string(EndOfFileRecord)}));
    EXPECT_EQ(Refusal(Chosen("high.hex")),
              "Cannot convert " + (folder_ / "high.hex").string() +
                  ", line 3: its data at address 050000 (hexadecimal) lies beyond the 320 KiB flash, which "
                  "ends at 04FFFF");

    Bytes longImage = ErasedImage();
    longImage[0] = 0x00;
    longImage.resize(kTestFlash.Bytes() + 5, 0x00);
    WriteFile(folder_ / "long.bin", longImage);
    EXPECT_EQ(Refusal(Chosen("long.bin")),
              "Cannot use " + (folder_ / "long.bin").string() +
                  ": it is 327685 bytes long, and its data from address 050000 (hexadecimal) on lies beyond "
                  "the 320 KiB flash");
    // None of them touched fw.BIN or fw.VXF, nor left anything of their own.
    for (const char* stem : {"end", "erased", "high", "long"}) {
        EXPECT_FALSE(fs::exists(folder_ / (std::string(stem) + ".BIN"))) << stem;
        EXPECT_FALSE(fs::exists(folder_ / (std::string(stem) + ".VXF"))) << stem;
    }
    ExpectOldFilesOnly({"end.hex", "erased.bin", "high.hex", "long.bin"});
}

TEST_F(ImagePreparationTest, AFileInThePlaceOfAnOutputThatTheProgramDidNotMakeIsLeftAlone) {
    WriteFile(folder_ / "release.hex", HexText({HexRecord(0, 0, {1}), std::string(EndOfFileRecord)}));
    const Bytes usersBinary(16 * 1024, 0x42);
    WriteFile(folder_ / "release.bin", usersBinary);
    // The name as the preparation formed it: release.bin itself here, release.BIN where names ignore case.
    EXPECT_EQ(Refusal(Chosen("release.hex")), Chosen("release.hex").BinaryFileName.string() +
                                                  " is not a prepared image: move it or choose it");
    EXPECT_EQ(ReadFile(folder_ / "release.bin"), usersBinary);

    // An upload image that does not verify is not one of the program's own either.
    Bytes damaged = oldImage_;
    damaged[kBlockAddressDigits] ^= 0x01;
    WriteFile(folder_ / "fw.VXF", damaged);
    WriteFile(folder_ / "fw.hex", HexText({HexRecord(0, 0, {1}), std::string(EndOfFileRecord)}));
    EXPECT_EQ(Refusal(Chosen("fw.hex")),
              (folder_ / "fw.VXF").string() + " is not a prepared image: move it or choose it");
    EXPECT_EQ(ReadFile(folder_ / "fw.VXF"), damaged);
    EXPECT_EQ(ReadFile(folder_ / "fw.BIN"), oldBinary_);
    EXPECT_EQ(NamesIn(folder_.path()), (Names{"fw.BIN", "fw.VXF", "fw.hex", "release.bin", "release.hex"}));
}

// Prepares fw.hex in a child process on a disk that holds files of limit bytes at most.
test_support::LimitedRun PrepareOnAFullDisk(const ChosenFileNames& names, std::uint64_t limit) {
    return test_support::RunWithFileSizeLimit(limit, [&](std::string& report) {
        try {
            PrepareAtOnce(names, kTestFlash);
        } catch (const PreparationError& failure) {
            report = failure.what();
            return 1;
        }
        return 0;
    });
}

TEST_F(ImagePreparationTest, AFullDiskLeavesTheFilesAsTheyWere) {
    // Data in every chunk: the upload image is larger than the binary image.
    std::vector<std::string> lines;
    for (std::uint32_t address = 0; address < kTestFlash.Bytes(); address += kChunkSize) {
        if (address % 0x10000 == 0) {
            lines.push_back(ExtendedLinearAddress(static_cast<std::uint16_t>(address >> 16)));
        }
        lines.push_back(HexRecord(0, static_cast<std::uint16_t>(address), {0}));
    }
    lines.emplace_back(EndOfFileRecord);
    WriteFile(folder_ / "fw.hex", HexText(lines));

    const test_support::LimitedRun binaryFailed =
        PrepareOnAFullDisk(Chosen("fw.hex"), kTestFlash.Bytes() / 2);
    EXPECT_EQ(binaryFailed.Status, 1);
    EXPECT_EQ(binaryFailed.Report, "Cannot write " + (folder_ / "fw.BIN").string() + ": File too large");
    ExpectOldFilesOnly({"fw.hex"});

    const test_support::LimitedRun imageFailed = PrepareOnAFullDisk(Chosen("fw.hex"), kTestFlash.Bytes());
    EXPECT_EQ(imageFailed.Status, 1);
    EXPECT_EQ(imageFailed.Report, "Cannot write " + (folder_ / "fw.VXF").string() + ": File too large");
    ExpectOldFilesOnly({"fw.hex"});

    EXPECT_EQ(PrepareOnAFullDisk(Chosen("fw.hex"), 2 * kTestFlash.Bytes()).Status, 0);
    EXPECT_EQ(ReadFile(folder_ / "fw.VXF").size(), kTestFlash.Chunks() * kBlockSize + kChecksumDigits);
}

}  // namespace
}  // namespace flash410::image
