// What the Windows chooser's model does beyond what its dialog's tests show, without a window: a drive's
// root, the type kept between filters, what OK refuses, the folder memory, a folder that cannot be listed
// or has gone, and where a folder row leads.
#include "win32_window/chooser_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "chooser/folder_paths.h"
#include "platform/utf8_path.h"
#include "support/temp_folder.h"

namespace flash410::win32_window {
namespace {

namespace fs = std::filesystem;

// The main window's filter, as far as these tests need it.
constexpr char kFilter[] = "Varnel Upload (.vxf)|*.vxf|Intel HEX (.hex)|*.hex|";
constexpr char kFirmwareFolder[] = "fw café 日本";

class ChooserStateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        home_.Write(std::string(kFirmwareFolder) + "/прошивка.vxf", "image");
        home_.Write(std::string(kFirmwareFolder) + "/固件.hex", "hex");
        home_.Folder(std::string(kFirmwareFolder) + "/更新 2");
    }
    std::string Home() const { return chooser::NormalFolder(home_.path().string()); }
    std::string Firmware() const { return Home() + "/" + kFirmwareFolder; }

    test_support::TempFolder home_{"chooser-home"};
};

// Going into a folder and up again, and the rows themselves, show in the dialog's tests.
TEST_F(ChooserStateTest, ADrivesRootHasNoWayFurtherUp) {
    ChooserState state(home_.folder());
    ASSERT_TRUE(state.DriveIndex().has_value());
    EXPECT_TRUE(chooser::IsInsideFolder(Home(), state.Drives()[*state.DriveIndex()]));
    const std::size_t drive = *state.DriveIndex();
    ASSERT_TRUE(state.ChooseDrive(drive));
    EXPECT_EQ(state.CurrentFolder(), state.Drives()[drive]);
    EXPECT_TRUE(state.FolderRows().empty() || state.FolderRows().front() != "..");
    EXPECT_EQ(state.DriveIndex(), drive);
    EXPECT_FALSE(state.EnterFolderRow(state.FolderRows().size()));
    EXPECT_FALSE(state.ChooseDrive(state.Drives().size()));
}

TEST_F(ChooserStateTest, TheSameFilterKeepsTheOperatorsTypeAndANewOneStartsAtItsFirst) {
    ChooserState state(home_.folder());
    state.SetFilter(kFilter);
    state.OpenFolder(Firmware());
    ASSERT_TRUE(state.ChooseType(1));
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
        EXPECT_TRUE(fs::equivalent(home_ / (std::string(kFirmwareFolder) + "/прошивка.vxf"),
                                   platform::PathFromUtf8(*chosen)));
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
