// The file chooser's model without a window, on Linux and under Wine: where it opens, the type list from
// the main window's filter, the name box and OK, what OK takes and refuses, the folder memory, folders
// that cannot be listed or have gone, and where a folder row leads.
#include "chooser/chooser_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "chooser/data_folder_memory.h"
#include "chooser/folder_paths.h"
#include "platform/utf8_path.h"
#include "support/temp_folder.h"

namespace flash410::chooser {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The main window's filter, as far as these tests need it.
constexpr char kFilter[] = "Varnel Upload (.vxf)|*.vxf|Intel HEX (.hex)|*.hex|";
constexpr char kFirmwareFolder[] = "fw café 日本";

std::size_t RowOf(const Names& rows, const std::string& row) {
    const auto found = std::find(rows.begin(), rows.end(), row);
    EXPECT_NE(found, rows.end()) << "no row " << row;
    return static_cast<std::size_t>(found - rows.begin());
}

// The name OK gave is the file's full name; where names differ in case (not on Windows), its own exactly.
void ExpectChosen(const std::optional<std::string>& chosen, const fs::path& file) {
    ASSERT_TRUE(chosen.has_value()) << file;
    EXPECT_TRUE(platform::PathFromUtf8(*chosen).is_absolute()) << *chosen;
    EXPECT_TRUE(fs::equivalent(platform::PathFromUtf8(*chosen), file)) << *chosen;
#ifndef _WIN32
    EXPECT_EQ(*chosen, file.string());
#endif
}

class ChooserModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const std::string file :
             {"fw.vxf", "OLD.VXF", "fw.bin", "fw.hex", "notes.txt", "Fw/New/new.hex"}) {
            home_.Write(file, "firmware");
        }
        home_.Write(std::string(kFirmwareFolder) + "/прошивка.vxf", "image");
        home_.Write(std::string(kFirmwareFolder) + "/固件.hex", "hex");
        home_.Folder(std::string(kFirmwareFolder) + "/更新 2");
        elsewhere_.Write("far.hex", "firmware");
    }
    std::string Home() const { return NormalFolder(home_.path().string()); }
    std::string Firmware() const { return Home() + "/" + kFirmwareFolder; }
    bool MemoryWritten() const { return fs::exists(home_ / "VNLflash.set"); }

    test_support::TempFolder home_{"chooser-home"};
    test_support::TempFolder elsewhere_{"chooser-elsewhere"};
};

TEST_F(ChooserModelTest, OpensInHomeAtFirstWithAllFilesOnItsDriveAndOkHidden) {
    const fs::path workingFolder = fs::current_path();
    ChooserModel model(home_.folder());
    EXPECT_EQ(model.DataFilesDir(), Home());
    EXPECT_EQ(model.CurrentFolder(), Home());
    EXPECT_EQ(model.FolderRows(), (Names{"..", "Fw", kFirmwareFolder}));
    EXPECT_EQ(model.FileRows(), (Names{"fw.bin", "fw.hex", "fw.vxf", "notes.txt", "OLD.VXF"}));
    ASSERT_EQ(model.FileTypes().size(), 1u);
    EXPECT_EQ(model.Mask(), "*.*");
    EXPECT_EQ(model.NameBoxText(), "*.*");
    EXPECT_FALSE(model.SelectedFile().has_value());
    EXPECT_FALSE(model.OkShown());
    EXPECT_TRUE(model.TakeErrors().empty());

    ASSERT_TRUE(model.DriveIndex().has_value());
    EXPECT_TRUE(IsInsideFolder(Home(), model.Drives()[*model.DriveIndex()]));

    // A root ("/", "C:/") has no way further up; a row or drive beyond the lists is no move.
    const Names& drives = model.Drives();
    const auto root =
        std::find_if(drives.begin(), drives.end(), [](const std::string& d) { return d.back() == '/'; });
    ASSERT_NE(root, drives.end());
    const auto drive = static_cast<std::size_t>(root - drives.begin());
    ASSERT_TRUE(model.ChooseDrive(drive));
    EXPECT_EQ(model.CurrentFolder(), *root);
    EXPECT_TRUE(model.FolderRows().empty() || model.FolderRows().front() != "..");
    EXPECT_EQ(model.DriveIndex(), drive);
    EXPECT_FALSE(model.EnterFolderRow(model.FolderRows().size()));
    EXPECT_FALSE(model.ChooseDrive(drives.size()));
    EXPECT_EQ(model.CurrentFolder(), *root);
    // Moving through the folders leaves the process's working folder alone.
    EXPECT_EQ(fs::current_path(), workingFolder);
}

TEST_F(ChooserModelTest, TheSameFilterKeepsTheOperatorsTypeAndANewOneStartsAtItsFirst) {
    ChooserModel model(home_.folder());
    model.SetFilter(kFilter);
    EXPECT_EQ(model.TypeIndex(), 0u);
    EXPECT_EQ(model.FileRows(), (Names{"fw.vxf", "OLD.VXF"}));
    EXPECT_EQ(model.NameBoxText(), "*.vxf");
    ASSERT_TRUE(model.ChooseType(1));
    EXPECT_EQ(model.FileRows(), Names{"fw.hex"});

    model.SetFilter(kFilter);
    EXPECT_EQ(model.TypeIndex(), 1u);
    EXPECT_EQ(model.FileRows(), Names{"fw.hex"});
    model.SetFilter("Text|*.txt|Upload|*.vxf|");
    EXPECT_EQ(model.TypeIndex(), 0u);
    EXPECT_EQ(model.FileRows(), Names{"notes.txt"});
    EXPECT_FALSE(model.ChooseType(2));
    EXPECT_EQ(model.TypeIndex(), 0u);
}

TEST_F(ChooserModelTest, TheNameBoxShowsTheSelectedFileOrTheMaskAndOkFollowsItsText) {
    ChooserModel model(home_.folder());
    model.SetFilter(kFilter);
    // A mask typed at first leaves OK hidden.
    model.EditName("*.bin");
    EXPECT_FALSE(model.OkShown());

    model.SelectFile(RowOf(model.FileRows(), "OLD.VXF"));
    EXPECT_EQ(model.NameBoxText(), "OLD.VXF");
    EXPECT_TRUE(model.OkShown());
    model.EditName("fw*");
    EXPECT_TRUE(model.OkShown());
    model.EditName("");
    EXPECT_FALSE(model.OkShown());
    model.EditName("x");
    EXPECT_TRUE(model.OkShown());

    // No file selected: the box shows the mask, and OK stays as it was.
    model.SelectFile(std::nullopt);
    EXPECT_EQ(model.NameBoxText(), "*.vxf");
    EXPECT_TRUE(model.OkShown());
    model.SelectFile(model.FileRows().size());
    EXPECT_FALSE(model.SelectedFile().has_value());

    // Refilled lists (another type, another folder) have no file selected.
    for (const auto refill :
         {+[](ChooserModel& m) { return m.ChooseType(1); },
          +[](ChooserModel& m) { return m.EnterFolderRow(RowOf(m.FolderRows(), "Fw")); }}) {
        model.SelectFile(0);
        ASSERT_TRUE(refill(model));
        EXPECT_FALSE(model.SelectedFile().has_value());
        EXPECT_EQ(model.NameBoxText(), "*.hex");
        EXPECT_TRUE(model.OkShown());
    }
}

TEST_F(ChooserModelTest, OkTakesTheExistingFileTheNameBoxNamesAndRemembersTheFolderShown) {
    const std::vector<std::pair<std::string, fs::path>> cases = {
        {"notes.txt", home_ / "notes.txt"},
        // As on Windows, a name in another case names the existing file.
        {"FW.VXF", home_ / "fw.vxf"},
        {"Fw/New/new.hex", home_ / "Fw/New/new.hex"},
        {(elsewhere_ / "far.hex").string(), elsewhere_ / "far.hex"}};
    for (const auto& [typed, file] : cases) {
        SCOPED_TRACE(typed);
        ChooserModel model(home_.folder());
        model.EditName(typed);
        ExpectChosen(model.Accept(), file);
        // The folder remembered is the one shown, not the file's.
        EXPECT_EQ(ChooserModel(home_.folder()).DataFilesDir(), Home());
        EXPECT_TRUE(MemoryWritten());
    }
}

TEST_F(ChooserModelTest, OkWithAMaskAnEmptyNameOrNoSuchFileClosesWithCancelRememberingNothing) {
    ChooserModel model(home_.folder());
    model.SelectFile(0);
    for (const std::string typed : {"", "*.vxf", "fw*", "missing.vxf", "Fw"}) {
        model.EditName(typed);
        EXPECT_FALSE(model.Accept().has_value()) << typed;
    }
    EXPECT_FALSE(MemoryWritten());
    EXPECT_TRUE(model.TakeErrors().empty());
}

TEST_F(ChooserModelTest, ADoubleClickedFileIsChosenWhateverTheNameBoxHeld) {
    ChooserModel model(home_.folder());
    const std::size_t old = RowOf(model.FileRows(), "OLD.VXF");
    model.SelectFile(old);
    model.EditName("notes.txt");
    ExpectChosen(model.AcceptFile(old), home_ / "OLD.VXF");
    EXPECT_FALSE(model.AcceptFile(model.FileRows().size()).has_value());
}

TEST_F(ChooserModelTest, AFolderInsideHomeIsRememberedForTheNextStartAndOneOutsideItAsHome) {
    const fs::path workingFolder = fs::current_path();
    {
        ChooserModel model(home_.folder());
        ASSERT_TRUE(model.EnterFolderRow(RowOf(model.FolderRows(), kFirmwareFolder)));
        EXPECT_EQ(model.FolderRows(), (Names{"..", "更新 2"}));
        ExpectChosen(model.AcceptFile(RowOf(model.FileRows(), "прошивка.vxf")),
                     home_ / (std::string(kFirmwareFolder) + "/прошивка.vxf"));
    }
    ChooserModel next(home_.folder());
    EXPECT_EQ(next.DataFilesDir(), Firmware());
    EXPECT_EQ(next.CurrentFolder(), Firmware());
    EXPECT_EQ(next.FileRows(), (Names{"прошивка.vxf", "固件.hex"}));

    ASSERT_TRUE(next.OpenFolder(elsewhere_.path().string()));
    ExpectChosen(next.AcceptFile(RowOf(next.FileRows(), "far.hex")), elsewhere_ / "far.hex");
    EXPECT_EQ(ChooserModel(home_.folder()).CurrentFolder(), Home());
    EXPECT_EQ(fs::current_path(), workingFolder);
}

TEST_F(ChooserModelTest, AMemoryFileThatCannotBeUsedOpensInHomeAndOnlyAnUnreadableOneIsReported) {
    home_.Write("VNLflash.set", Home() + "/Gone\r\n");
    ChooserModel gone(home_.folder());
    EXPECT_EQ(gone.CurrentFolder(), Home());
    EXPECT_TRUE(gone.TakeErrors().empty());

    fs::remove(home_ / "VNLflash.set");
    home_.Folder("VNLflash.set");
    ChooserModel unreadable(home_.folder());
    EXPECT_EQ(unreadable.CurrentFolder(), Home());
    EXPECT_THAT(unreadable.TakeErrors(), ElementsAre(HasSubstr(DataFolderMemoryFile(Home()))));

    // A memory that cannot be written is reported, and the file is chosen all the same.
    ExpectChosen(unreadable.AcceptFile(RowOf(unreadable.FileRows(), "fw.bin")), home_ / "fw.bin");
    EXPECT_THAT(unreadable.TakeErrors(),
                ElementsAre(AllOf(HasSubstr("Cannot save"), HasSubstr(DataFolderMemoryFile(Home())))));
}

TEST_F(ChooserModelTest, AFolderThatCannotBeListedIsReportedAndTheListsStay) {
    ChooserModel model(home_.folder());
    model.SetFilter(kFilter);
    fs::remove_all(home_ / "Fw");
    EXPECT_FALSE(model.EnterFolderRow(RowOf(model.FolderRows(), "Fw")));
    EXPECT_EQ(model.CurrentFolder(), Home());
    EXPECT_EQ(model.FolderRows(), (Names{"..", "Fw", kFirmwareFolder}));
    EXPECT_THAT(model.TakeErrors(), ElementsAre(HasSubstr(Home() + "/Fw")));
    EXPECT_TRUE(model.TakeErrors().empty());
}

TEST_F(ChooserModelTest, EachRefreshListsTheFolderAfreshOrItsNearestParentLeft) {
    ChooserModel model(home_.folder());
    ASSERT_TRUE(model.OpenFolder(Firmware() + "/更新 2"));
    home_.Write(std::string(kFirmwareFolder) + "/更新 2/late.hex", "firmware");
    model.Refresh();
    EXPECT_EQ(model.FileRows(), Names{"late.hex"});

    fs::remove_all(home_ / kFirmwareFolder);
    model.Refresh();
    EXPECT_EQ(model.CurrentFolder(), Home());
    EXPECT_TRUE(model.TakeErrors().empty());
}

TEST(ChooserRows, LeadToTheParentOrTheSubfolderAndShowAsWindowsWritesThem) {
#ifdef _WIN32
    EXPECT_EQ(FolderOfRow("C:/fw/new", ".."), "C:/fw");
    EXPECT_EQ(FolderOfRow("C:/fw", ".."), "C:/");
    EXPECT_EQ(FolderOfRow("C:/", "fw café"), "C:/fw café");
#else
    EXPECT_EQ(FolderOfRow("/fw/new", ".."), "/fw");
    EXPECT_EQ(FolderOfRow("/fw", ".."), "/");
    EXPECT_EQ(FolderOfRow("/", "fw café"), "/fw café");
#endif
    EXPECT_EQ(NativeFolderText("C:/fw/日本"), "C:\\fw\\日本");
}

}  // namespace
}  // namespace flash410::chooser
