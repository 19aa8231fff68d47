// Where the programs keep their files: beside themselves in a folder of their own, in the user's XDG
// folders once installed; and the folders made when they are first needed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/file_locations.h"
#include "support/temp_folder.h"

namespace flash410 {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class Locations : public ::testing::Test {
  protected:
    // <root>/usr with bin/ and, when asked, share/flash410/VNLflash.HLP: an installed tree.
    std::string InstalledBin(bool withHelp = true) {
        fs::create_directories(usr_ / "bin");
        if (withHelp) {
            fs::create_directories(usr_ / "share" / "flash410");
            std::ofstream(usr_ / "share" / "flash410" / "VNLflash.HLP") << "help";
        }
        return (usr_ / "bin").string() + "/";
    }
    const platform::UserFolders user_{"/home/engineer", "/xdg/config", "/xdg/state/"};

    test_support::TempFolder root_{"install"};
    const fs::path usr_ = root_.path() / "usr";
};

TEST_F(Locations, AProgramInAFolderOfItsOwnKeepsEverythingBesideItself) {
    const std::string folder = root_.folder();
    const platform::FileLocations files = LocateFiles(folder, user_);
    EXPECT_FALSE(files.installed);
    EXPECT_EQ(files.programFolder, folder);
    EXPECT_EQ(files.settingsFolder, folder);
    EXPECT_EQ(files.stateFolder, folder);
    EXPECT_EQ(files.helpFile, folder + "VNLflash.HLP");
    EXPECT_EQ(files.historyFile, folder + "history/upload-history.jsonl");
}

TEST_F(Locations, AnInstalledProgramUsesTheXdgFoldersAndTheSharedHelp) {
    const platform::FileLocations files = LocateFiles(InstalledBin(), user_);
    EXPECT_TRUE(files.installed);
    EXPECT_EQ(files.programFolder, (usr_ / "bin").string() + "/");
    EXPECT_EQ(files.settingsFolder, "/xdg/config/flash410/");
    EXPECT_EQ(files.stateFolder, "/xdg/state/flash410/");
    EXPECT_EQ(files.historyFile, "/xdg/state/flash410/upload-history.jsonl");
    EXPECT_EQ(fs::path(files.helpFile).lexically_normal(), usr_ / "share" / "flash410" / "VNLflash.HLP");
}

TEST_F(Locations, XdgVariablesThatAreUnsetEmptyOrRelativeFallBackBelowTheHomeFolder) {
    const std::string bin = InstalledBin();
    for (const platform::UserFolders& user :
         {platform::UserFolders{"/home/engineer", "", ""},
          platform::UserFolders{"/home/engineer/", "config", "./state"}}) {
        const platform::FileLocations files = LocateFiles(bin, user);
        EXPECT_EQ(files.settingsFolder, "/home/engineer/.config/flash410/") << user.xdgConfigHome;
        EXPECT_EQ(files.stateFolder, "/home/engineer/.local/state/flash410/") << user.xdgStateHome;
    }
}

TEST_F(Locations, ABinFolderWithoutTheInstalledHelpIsAFolderOfItsOwn) {
    const std::string bin = InstalledBin(false);
    const platform::FileLocations files = LocateFiles(bin, user_);
    EXPECT_FALSE(files.installed);
    EXPECT_EQ(files.settingsFolder, bin);
    EXPECT_EQ(files.helpFile, bin + "VNLflash.HLP");
}

TEST_F(Locations, TheInstalledHelpBesideAFolderNotNamedBinDoesNotMakeAnInstallation) {
    InstalledBin();
    fs::create_directories(usr_ / "libexec");
    const std::string folder = (usr_ / "libexec").string() + "/";
    EXPECT_FALSE(platform::LocateFiles(folder, user_).installed);
}

TEST_F(Locations, AHelpFileBesideAnInstalledProgramIsTheOneUsed) {
    const std::string bin = InstalledBin();
    std::ofstream(bin + "VNLflash.HLP") << "local help";
    const platform::FileLocations files = LocateFiles(bin, user_);
    EXPECT_TRUE(files.installed);
    EXPECT_EQ(files.helpFile, bin + "VNLflash.HLP");
}

TEST(UserFoldersFromEnvironment, TakesTheXdgVariablesAsTheyAre) {
    ::setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    ::unsetenv("XDG_STATE_HOME");
    const platform::UserFolders user = platform::UserFoldersFromEnvironment("/home/engineer");
    EXPECT_EQ(user.home, "/home/engineer");
    EXPECT_EQ(user.xdgConfigHome, "/somewhere/config");
    EXPECT_EQ(user.xdgStateHome, "");
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(CreateFolder, MakesTheFolderWithItsParentsAndAcceptsOneThatIsThere) {
    test_support::TempFolder root("install");
    const std::string folder = root.folder() + "a/b/c/";
    EXPECT_EQ(platform::CreateFolder(folder), std::nullopt);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(platform::CreateFolder(folder), std::nullopt);
}

TEST(CreateFolder, SaysWhichFolderCannotBeMadeAndWhy) {
    test_support::TempFolder root("install");
    std::ofstream(root.path() / "file") << "in the way";
    const std::string below = root.folder() + "file/flash410/";
    const std::optional<std::string> problem = platform::CreateFolder(below);
    ASSERT_TRUE(problem.has_value());
    EXPECT_THAT(*problem, HasSubstr("cannot create the folder " + below + ": "));
    EXPECT_THAT(*problem, HasSubstr("Not a directory"));

    const std::optional<std::string> taken = platform::CreateFolder(root.folder() + "file");
    ASSERT_TRUE(taken.has_value());
    EXPECT_THAT(*taken, HasSubstr("Not a directory"));
}

}  // namespace
}  // namespace flash410
