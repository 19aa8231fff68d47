// Formed file names find the existing file that differs only in case.
#include <gtest/gtest.h>

#include "image/file_name_case.h"
#include "support/temp_folder.h"
#include "test_files.h"

namespace flash410::image {
namespace {

using test_support::TempFolder;
using testing::WriteFile;

TEST(FileNameCase, NameThatExistsAsFormedIsKept) {
    TempFolder folder;
    WriteFile(folder / "fw.BIN", "");
    WriteFile(folder / "fw.bin", "");
    EXPECT_EQ(ResolveFileNameCase(folder / "fw.BIN"), folder / "fw.BIN");
}

TEST(FileNameCase, ExistingNameInAnotherCaseIsUsed) {
    TempFolder folder;
    WriteFile(folder / "Fw.bin", "");
    WriteFile(folder / "fw.bin.old", "");
    EXPECT_EQ(ResolveFileNameCase(folder / "fw.BIN"), folder / "Fw.bin");
}

TEST(FileNameCase, FormedNameIsKeptWhenNothingMatches) {
    TempFolder folder;
    WriteFile(folder / "fw.BI", "");
    EXPECT_EQ(ResolveFileNameCase(folder / "fw.BIN"), folder / "fw.BIN");
    EXPECT_EQ(ResolveFileNameCase(folder / "missing" / "fw.BIN"), folder / "missing" / "fw.BIN");
}

TEST(FileNameCase, SeveralMatchesGiveTheFirstInByteOrder) {
    TempFolder folder;
    WriteFile(folder / "fw.vxf", "");
    WriteFile(folder / "FW.vxf", "");
    WriteFile(folder / "fW.Vxf", "");
    EXPECT_EQ(ResolveFileNameCase(folder / "fw.VXF"), folder / "FW.vxf");
}

}  // namespace
}  // namespace flash410::image
