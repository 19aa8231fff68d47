// What the Windows chooser shows and what the operator's picks do, without a window: on a folder tree
// with names in other languages, the rows of the two lists, going into a folder and up again, the type
// filter, OK and the folder memory.
#include "win32_window/chooser_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "chooser/folder_paths.h"
#include "platform/utf8_path.h"
#include "support/temp_folder.h"

namespace flash410::win32_window {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

// The main window's filter, as far as these tests need it.
constexpr char kFilter[] = "Varnel Upload (.vxf)|*.vxf|Intel HEX (.hex)|*.hex|";
constexpr char kFirmwareFolder[] = "fw café 日本";

class ChooserStateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        home_.Write("Zeta.VXF", "image");
        home_.Write("alpha.vxf", "image");
        home_.Write(".hidden.vxf", "image");
        home_.Write("readme.txt", "text");
        home_.Folder("Ärger");
        home_.Write(std::string(kFirmwareFolder) + "/прошивка.vxf", "image");
        home_.Write(std::string(kFirmwareFolder) + "/固件.hex", "hex");
        home_.Folder(std::string(kFirmwareFolder) + "/更新 2");
    }
    std::string Home() const { return chooser::NormalFolder(home_.path().string()); }
    std::string Firmware() const { return Home() + "/" + kFirmwareFolder; }
    static std::size_t RowOf(const Rows& rows, const std::string& name) {
        for (std::size_t row = 0; row < rows.size(); ++row) {
            if (rows[row] == name) {
                return row;
            }
        }
        ADD_FAILURE() << "no row " << name;
        return rows.size();
    }

    test_support::TempFolder home_{"chooser-home"};
};

TEST_F(ChooserStateTest, OpensAtHomeWithItsFoldersAndTheFilesOfTheFirstType) {
    ChooserState state(home_.folder());
    state.SetFilter(kFilter);
    EXPECT_EQ(state.CurrentFolder(), Home());
    // The parent row first, then the subfolders (in the model's name order, which its own tests show).
    Rows folders = state.FolderRows();
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(folders.front(), "..");
    std::sort(folders.begin() + 1, folders.end());
    EXPECT_EQ(folders, (Rows{"..", kFirmwareFolder, "Ärger"}));
    // Matched ignoring case, in name order ignoring case, hidden names left out.
    EXPECT_EQ(state.FileRows(), (Rows{"alpha.vxf", "Zeta.VXF"}));
    EXPECT_EQ(state.Mask(), "*.vxf");
    ASSERT_TRUE(state.DriveIndex().has_value());
    EXPECT_TRUE(chooser::IsInsideFolder(Home(), state.Drives()[*state.DriveIndex()]));
    EXPECT_TRUE(state.TakeErrors().empty());
}

TEST_F(ChooserStateTest, GoesIntoAFolderAndUpAgainByItsParentRow) {
    ChooserState state(home_.folder());
    state.SetFilter(kFilter);
    ASSERT_TRUE(state.EnterFolderRow(RowOf(state.FolderRows(), kFirmwareFolder)));
    EXPECT_EQ(state.CurrentFolder(), Firmware());
    EXPECT_EQ(state.FolderRows(), (Rows{"..", "更新 2"}));
    EXPECT_EQ(state.FileRows(), Rows{"прошивка.vxf"});
    ASSERT_TRUE(state.EnterFolderRow(0));
    EXPECT_EQ(state.CurrentFolder(), Home());
    EXPECT_FALSE(state.EnterFolderRow(state.FolderRows().size()));

    // A drive's root has no way further up.
    ASSERT_TRUE(state.ChooseDrive(*state.DriveIndex()));
    EXPECT_EQ(state.CurrentFolder().back(), '/');
    EXPECT_TRUE(state.FolderRows().empty() || state.FolderRows().front() != "..");
}

TEST_F(ChooserStateTest, TheTypeListDecidesTheFilesAndANewFilterStartsAtItsFirstType) {
    ChooserState state(home_.folder());
    state.SetFilter(kFilter);
    state.OpenFolder(Firmware());
    ASSERT_TRUE(state.ChooseType(1));
    EXPECT_EQ(state.FileRows(), Rows{"固件.hex"});
    EXPECT_EQ(state.Mask(), "*.hex");
    // The same filter again keeps the operator's type; another one starts at its first.
    state.SetFilter(kFilter);
    EXPECT_EQ(state.TypeIndex(), 1u);
    state.SetFilter("Text|*.txt|Upload|*.vxf|");
    EXPECT_EQ(state.TypeIndex(), 0u);
    EXPECT_TRUE(state.FileRows().empty());
    EXPECT_FALSE(state.ChooseType(2));
}

TEST_F(ChooserStateTest, OkGivesTheFullNameAndTheNextChooserOpensInItsFolder) {
    {
        ChooserState state(home_.folder());
        state.SetFilter(kFilter);
        state.OpenFolder(Firmware());
        for (const char* notAFile : {"", "*.vxf", "missing.vxf", "更新 2"}) {
            EXPECT_FALSE(state.Accept(notAFile).has_value()) << notAFile;
        }
        EXPECT_TRUE(home_.Read("VNLflash.set").empty());
        const std::optional<std::string> chosen = state.Accept("прошивка.vxf");
        ASSERT_TRUE(chosen.has_value());
        EXPECT_TRUE(fs::path(*chosen).is_absolute()) << *chosen;
        EXPECT_TRUE(fs::equivalent(home_ / (std::string(kFirmwareFolder) + "/прошивка.vxf"), platform::PathFromUtf8(*chosen)));
    }
    ChooserState next(home_.folder());
    EXPECT_EQ(next.CurrentFolder(), Firmware());
}

TEST_F(ChooserStateTest, AFolderThatCannotBeListedIsReportedAndTheListsStay) {
    ChooserState state(home_.folder());
    state.SetFilter(kFilter);
    EXPECT_FALSE(state.OpenFolder(Home() + "/gone"));
    EXPECT_EQ(state.CurrentFolder(), Home());
    const std::vector<std::string> errors = state.TakeErrors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors.front().find("gone"), std::string::npos) << errors.front();
    EXPECT_TRUE(state.TakeErrors().empty());

    // A folder removed between showings gives way to its nearest remaining parent.
    state.OpenFolder(Firmware() + "/更新 2");
    fs::remove_all(home_ / kFirmwareFolder);
    state.Refresh();
    EXPECT_EQ(state.CurrentFolder(), Home());
}

TEST(ChooserRows, LeadToTheParentOrTheSubfolderAndShowAsWindowsWritesThem) {
    EXPECT_EQ(FolderOfRow("C:/fw/new", ".."), "C:/fw");
    EXPECT_EQ(FolderOfRow("C:/fw", ".."), "C:/");
    EXPECT_EQ(FolderOfRow("C:/", "fw café"), "C:/fw café");
    EXPECT_EQ(NativeFolderText("C:/fw/日本"), "C:\\fw\\日本");
}

}  // namespace
}  // namespace flash410::win32_window
