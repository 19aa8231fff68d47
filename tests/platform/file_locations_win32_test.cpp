// Where the Windows programs keep their files: beside themselves in a folder of their own, in the user's
// application data folders once installed below Program Files.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_locations.h"
#include "platform/utf8_path.h"

namespace flash410::platform {
namespace {

namespace fs = std::filesystem;

UserFolders User() {
    UserFolders user;
    user.home = "C:/Users/engineer";
    user.programFiles = "C:\\Program Files";
    user.roamingAppData = "C:\\Users\\engineer\\AppData\\Roaming";
    user.localAppData = "C:\\Users\\engineer\\AppData\\Local";
    return user;
}

TEST(WindowsLocations, AProgramBelowProgramFilesKeepsItsFilesInTheUsersApplicationData) {
    // As the system names the folders (the program's own ends with "/", as RunningProgramFolder gives it),
    // and in another case: Windows names ignore case.
    for (const std::string folder : {"C:\\Program Files\\Flash410/", "c:/program files/Varnel/Flash410/"}) {
        const FileLocations files = LocateFiles(folder, User());
        EXPECT_TRUE(files.installed) << folder;
        EXPECT_EQ(files.settingsFolder, "C:\\Users\\engineer\\AppData\\Roaming/Flash410/");
        EXPECT_EQ(files.stateFolder, "C:\\Users\\engineer\\AppData\\Local/Flash410/");
        EXPECT_EQ(files.historyFile, "C:\\Users\\engineer\\AppData\\Local/Flash410/upload-history.jsonl");
        // The help text is shipped with the program.
        EXPECT_EQ(files.helpFile, folder + "VNLflash.HLP");
    }
}

TEST(WindowsLocations, AFolderThatOnlyBeginsLikeProgramFilesIsAFolderOfItsOwn) {
    for (const std::string folder : {"C:/Program Files Tools/Flash410/", "D:/Program Files/Flash410/",
                                     "C:/Users/engineer/Desktop/Flash410/"}) {
        const FileLocations files = LocateFiles(folder, User());
        EXPECT_FALSE(files.installed) << folder;
        EXPECT_EQ(files.settingsFolder, folder);
        EXPECT_EQ(files.stateFolder, folder);
        EXPECT_EQ(files.historyFile, folder + "history/upload-history.jsonl");
    }
}

TEST(WindowsLocations, UnknownFoldersFallBackToTheirDefaultPlaces) {
    UserFolders user = User();
    user.roamingAppData.clear();
    user.localAppData.clear();
    const FileLocations files = LocateFiles("C:/Program Files/Flash410/", user);
    EXPECT_EQ(files.settingsFolder, "C:/Users/engineer/AppData/Roaming/Flash410/");
    EXPECT_EQ(files.stateFolder, "C:/Users/engineer/AppData/Local/Flash410/");

    // Without a known Program Files folder nothing counts as installed.
    user.programFiles.clear();
    EXPECT_FALSE(LocateFiles("C:/Program Files/Flash410/", user).installed);
}

TEST(WindowsLocations, TheSystemNamesItsFoldersAsAbsolutePaths) {
    const UserFolders user = UserFoldersFromEnvironment("C:/Users/engineer");
    for (const std::string& folder : {user.programFiles, user.roamingAppData, user.localAppData}) {
        EXPECT_TRUE(platform::PathFromUtf8(folder).is_absolute()) << folder;
    }
    EXPECT_TRUE(LocateFiles(user.programFiles + "\\Flash410/", user).installed);
}

}  // namespace
}  // namespace flash410::platform
