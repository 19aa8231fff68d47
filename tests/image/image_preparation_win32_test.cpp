// Two uploads of one file at once, in two programs: the first holds the prepared upload image open while
// it sends it, and Windows does not replace a file that is open. The other program is played by a handle
// that shares the file for reading only, as a program reading the image would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/chosen_file_names.h"
#include "image/image_preparation.h"
#include "image/preparation_error.h"
#include "platform/unique_handle_win32.h"
#include "support/folder_listing.h"
#include "support/temp_folder.h"
#include "test_files.h"

namespace flash410::image {
namespace {

namespace fs = std::filesystem;
using test_support::NamesIn;
using test_support::TempFolder;
using namespace testing;

platform::UniqueHandle HoldOpen(const fs::path& file) {
    return platform::UniqueHandle(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// An Intel HEX file of three bytes of the value.
std::string ThreeBytesOf(std::uint8_t value) {
    return HexText({HexRecord(0, 0x10, {value, value, value}), std::string(EndOfFileRecord)});
}

std::string Refusal(const ChosenFileNames& names) {
    try {
        PrepareAtOnce(names, kTestFlash);
    } catch (const PreparationError& failure) {
        return failure.what();
    }
    return "no refusal";
}

TEST(PreparationBesideAnotherUpload, AnImageInUseIsKeptWhenTheSameAndOtherwiseLeftWithItsPair) {
    TempFolder folder;
    const ChosenFileNames names = FormChosenFileNames((folder / "two.hex").string());
    WriteFile(folder / "two.hex", ThreeBytesOf(1));
    PrepareAtOnce(names, kTestFlash);
    const std::vector<std::uint8_t> binary = ReadFile(folder / "two.BIN");
    const std::vector<std::uint8_t> image = ReadFile(folder / "two.VXF");
    {
        const platform::UniqueHandle upload = HoldOpen(folder / "two.VXF");
        ASSERT_TRUE(upload.valid());
        EXPECT_EQ(Refusal(names), "no refusal");

        WriteFile(folder / "two.hex", ThreeBytesOf(9));
        EXPECT_EQ(Refusal(names), "Cannot replace " + (folder / "two.VXF").string() +
                                      ": another upload is using it; wait for that upload to end, then try "
                                      "again");
        // Neither file changed, so the pair still belongs together, and nothing of the new ones is left.
        EXPECT_EQ(ReadFile(folder / "two.VXF"), image);
        EXPECT_EQ(ReadFile(folder / "two.BIN"), binary);
        EXPECT_EQ(NamesIn(folder.path()), (std::vector<std::string>{"two.BIN", "two.VXF", "two.hex"}));
    }
    // Once that upload has let go, the changed file is prepared as usual.
    EXPECT_EQ(Refusal(names), "no refusal");
    EXPECT_NE(ReadFile(folder / "two.VXF"), image);
    EXPECT_NE(ReadFile(folder / "two.BIN"), binary);
}

}  // namespace
}  // namespace flash410::image
