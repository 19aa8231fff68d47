// The data folder memory in its Linux form: VNLflash.set in the home folder, the home folder standing
// for drive C, paths keeping their case.
#include "chooser/data_folder_memory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"

namespace flash410::chooser {
namespace {

using namespace std::string_literals;
using ::testing::AllOf;
using ::testing::HasSubstr;

class DataFolderMemory : public ::testing::Test {
  protected:
    DataFolderMemory() : home_(root_.Folder("Home")), memory_(DataFolderMemoryFile(home_)) {}

    std::string Remember(const std::string& line) { return root_.Write("Home/VNLflash.set", line); }
    std::string Read() { return ReadDataFilesDir(memory_, home_); }

    test_support::TempFolder root_{"chooser"};
    std::string home_;
    std::string memory_;
};

TEST_F(DataFolderMemory, LivesInTheHomeFolder) {
    EXPECT_EQ(memory_, home_ + "/VNLflash.set");
    EXPECT_EQ(DataFolderMemoryFile(home_ + "/"), home_ + "/VNLflash.set");
    EXPECT_EQ(DataFolderMemoryFile("/"), "/VNLflash.set");
}

TEST_F(DataFolderMemory, FirstStartWithoutTheFileOpensInHome) {
    EXPECT_EQ(Read(), home_);
}

TEST_F(DataFolderMemory, AFolderInsideHomeIsRememberedWithItsCase) {
    const std::string chosen = root_.Folder("Home/Fw/New");
    EXPECT_EQ(SaveDataFilesDir(memory_, home_, chosen), chosen);
    EXPECT_EQ(root_.Read("Home/VNLflash.set"), chosen + "\r\n");
    EXPECT_EQ(Read(), chosen);
}

TEST_F(DataFolderMemory, AFolderIsStoredInItsPlainForm) {
    const std::string chosen = root_.Folder("Home/Fw/New");
    SaveDataFilesDir(memory_, home_ + "/", home_ + "/Fw/./Old/../New/");
    EXPECT_EQ(root_.Read("Home/VNLflash.set"), chosen + "\r\n");
}

TEST_F(DataFolderMemory, TheHomeFolderItselfIsStoredAsHome) {
    EXPECT_EQ(SaveDataFilesDir(memory_, home_, home_), home_);
    EXPECT_EQ(root_.Read("Home/VNLflash.set"), home_ + "\r\n");
    EXPECT_EQ(Read(), home_);
}

TEST_F(DataFolderMemory, AFolderOutsideHomeIsStoredAsHome) {
    for (const std::string& outside :
         {root_.Folder("Elsewhere"), root_.Folder("HomeAndMore"), std::string("/"), home_ + "/../Elsewhere",
          std::string("relative/folder")}) {
        SCOPED_TRACE(outside);
        EXPECT_EQ(SaveDataFilesDir(memory_, home_, outside), home_);
        EXPECT_EQ(root_.Read("Home/VNLflash.set"), home_ + "\r\n");
    }
}

TEST_F(DataFolderMemory, AFolderWhoseNameHoldsALineBreakIsStoredAsHome) {
    const std::string odd = root_.Folder("Home/two\nlines");
    EXPECT_EQ(SaveDataFilesDir(memory_, home_, odd), home_);
    EXPECT_EQ(Read(), home_);
}

TEST_F(DataFolderMemory, SavingReplacesTheWholeOldContent) {
    Remember(std::string(300, 'x') + "\r\nsecond line\r\n");
    SaveDataFilesDir(memory_, home_, home_);
    EXPECT_EQ(root_.Read("Home/VNLflash.set"), home_ + "\r\n");
}

TEST_F(DataFolderMemory, AFolderThatNoLongerExistsOpensInHome) {
    Remember(home_ + "/Fw/Gone\r\n");
    EXPECT_EQ(Read(), home_);
    // A file of that name is not a folder either.
    root_.Write("Home/Fw/Gone", "firmware");
    EXPECT_EQ(Read(), home_);
}

TEST_F(DataFolderMemory, UnusableLinesOpenInHome) {
    root_.Folder("Home/Fw");
    root_.Folder("Elsewhere");
    for (const std::string& content :
         {std::string(""), std::string("\r\n"), std::string("Fw\r\n"), std::string("C:\\FW\\NEW\r\n"),
          std::string(" ") + home_ + "/Fw\r\n", (root_ / "Elsewhere\r\n").string(),
          home_ + "/../Elsewhere\r\n", home_ + "/Fw\0tail\r\n"s, "/" + std::string(5000, 'a') + "\r\n"}) {
        SCOPED_TRACE(content.substr(0, 80));
        Remember(content);
        EXPECT_EQ(Read(), home_);
    }
}

TEST_F(DataFolderMemory, TheLineIsReadWithOrWithoutItsLineEnd) {
    const std::string chosen = root_.Folder("Home/Fw");
    for (const std::string& content : {chosen + "\r\n", chosen + "\n", chosen, chosen + "/\r\nignored\r\n"}) {
        SCOPED_TRACE(content);
        Remember(content);
        EXPECT_EQ(Read(), chosen);
    }
}

TEST_F(DataFolderMemory, TheCaseOfTheLineIsKept) {
    // On a file system that tells case apart, only the folder as written exists.
    const std::string chosen = root_.Folder("Home/Fw/New");
    Remember(home_ + "/FW/NEW\r\n");
    EXPECT_EQ(Read(), home_);
    Remember(chosen + "\r\n");
    EXPECT_EQ(Read(), chosen);
}

TEST_F(DataFolderMemory, AMemoryFileThatCannotBeReadIsReportedWithItsName) {
    root_.Folder("Home/VNLflash.set");
    try {
        Read();
        FAIL() << "no error for a memory file that is a folder";
    } catch (const DataFolderFileError& error) {
        EXPECT_THAT(error.what(), AllOf(HasSubstr(memory_), HasSubstr("directory")));
    }
}

TEST_F(DataFolderMemory, AMemoryFileThatCannotBeWrittenIsReportedWithItsName) {
    root_.Folder("Home/VNLflash.set");
    try {
        SaveDataFilesDir(memory_, home_, home_);
        FAIL() << "no error for a memory file that is a folder";
    } catch (const DataFolderFileError& error) {
        EXPECT_THAT(error.what(), AllOf(HasSubstr(memory_), HasSubstr("directory")));
    }
    const std::string missingHome = (root_ / "NoSuchHome").string();
    EXPECT_THROW(SaveDataFilesDir(DataFolderMemoryFile(missingHome), missingHome, missingHome),
                 DataFolderFileError);
}

}  // namespace
}  // namespace flash410::chooser
