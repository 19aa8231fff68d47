// What the chooser's lists show of a folder.
#include "chooser/folder_contents.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace flash410::chooser {
namespace {

using Names = std::vector<std::string>;
using ::testing::AllOf;
using ::testing::HasSubstr;

class FolderContentsTest : public ::testing::Test {
  protected:
    FolderContentsTest() {
        for (const char* file : {"b.hex", "A.HEX", "c.Hex", "fw.bin", "notes.txt", ".hidden.hex"}) {
            folder_.Write(file, "x");
        }
        for (const char* sub : {"zeta", "Alpha", "beta", ".config"}) {
            folder_.Folder(sub);
        }
        folder_.Write("beta.hex/inner.hex", "folder named like a file");
        std::filesystem::create_directory_symlink(folder_ / "zeta", folder_ / "link-to-folder");
        std::filesystem::create_symlink(folder_ / "fw.bin", folder_ / "link.hex");
        std::filesystem::create_symlink(folder_ / "gone.hex", folder_ / "broken.hex");
    }
    test_support::TempFolder folder_{"chooser"};
};

TEST_F(FolderContentsTest, FilesMatchTheMaskAndFoldersAreAllListed) {
    const FolderContents contents = ReadFolderContents(folder_.path(), "*.hex");
    EXPECT_EQ(contents.Files, (Names{"A.HEX", "b.hex", "c.Hex", "link.hex"}));
    EXPECT_EQ(contents.SubFolders, (Names{"Alpha", "beta", "beta.hex", "link-to-folder", "zeta"}));
    EXPECT_EQ(contents.Error, "");
}

TEST_F(FolderContentsTest, AllFilesShowsEveryVisibleFile) {
    EXPECT_EQ(ReadFolderContents(folder_.path(), "*.*").Files,
              (Names{"A.HEX", "b.hex", "c.Hex", "fw.bin", "link.hex", "notes.txt"}));
}

TEST_F(FolderContentsTest, NamesEqualButForCaseKeepAFixedOrder) {
    test_support::TempFolder folder("chooser");
    for (const char* file : {"fw.hex", "FW.HEX", "Fw.hex"}) {
        folder.Write(file, "x");
    }
    EXPECT_EQ(ReadFolderContents(folder.path(), "*.hex").Files, (Names{"FW.HEX", "Fw.hex", "fw.hex"}));
}

TEST_F(FolderContentsTest, AFolderThatCannotBeListedSaysWhy) {
    const std::string missing = (folder_ / "missing").string();
    const FolderContents contents = ReadFolderContents(missing, "*.*");
    EXPECT_TRUE(contents.Files.empty());
    EXPECT_TRUE(contents.SubFolders.empty());
    EXPECT_THAT(contents.Error, AllOf(HasSubstr(missing), HasSubstr("No such file or directory")));
}

}  // namespace
}  // namespace flash410::chooser
