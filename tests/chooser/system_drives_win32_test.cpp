// The drives and the home folder as Windows gives them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <optional>
#include <string>

#include "chooser/drive_list.h"
#include "chooser/folder_paths.h"
#include "platform/home_folder.h"

namespace flash410::chooser {
namespace {

// Sets or clears %USERPROFILE% for one test and puts the old value back.
class ProfileVariable {
  public:
    explicit ProfileVariable(const wchar_t* value) {
        if (const wchar_t* old = _wgetenv(L"USERPROFILE")) {
            saved_ = old;
        }
        _wputenv_s(L"USERPROFILE", value == nullptr ? L"" : value);
    }
    ~ProfileVariable() { _wputenv_s(L"USERPROFILE", saved_ ? saved_->c_str() : L""); }
    ProfileVariable(const ProfileVariable&) = delete;
    ProfileVariable& operator=(const ProfileVariable&) = delete;

  private:
    std::optional<std::wstring> saved_;
};

char Upper(char letter) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

TEST(SystemDrivesOnWindows, AreEveryDriveRootWithTheHomeFoldersFirst) {
    const std::vector<std::string> drives = SystemDrives("");
    const DWORD present = GetLogicalDrives();
    int count = 0;
    for (int letter = 0; letter < 26; ++letter) {
        count += (present >> letter) & 1U;
    }
    ASSERT_EQ(drives.size(), static_cast<std::size_t>(count));
    for (const std::string& drive : drives) {
        ASSERT_EQ(drive.size(), 3u) << drive;
        EXPECT_EQ(drive.substr(1), ":/");
        EXPECT_NE(present & (1U << (Upper(drive[0]) - 'A')), 0U) << drive;
    }
    // The last drive moves to the front when the home folder lies on it, whatever the case of its letter.
    const std::string last = drives.back();
    const char lowerLetter = static_cast<char>(std::tolower(static_cast<unsigned char>(last[0])));
    const std::vector<std::string> homeFirst = SystemDrives(std::string(1, lowerLetter) + ":\\users\\ann");
    ASSERT_EQ(homeFirst.size(), drives.size());
    EXPECT_EQ(homeFirst.front(), last);
}

TEST(FolderPathsOnWindows, AreDrivePathsWithSlashesAndADriveHoldsItsFolders) {
    EXPECT_EQ(NormalFolder("C:\\users\\ann\\fw\\..\\new\\"), "C:/users/ann/new");
    EXPECT_EQ(NormalFolder("C:\\"), "C:/");
    EXPECT_TRUE(IsAbsoluteFolder("C:\\fw"));
    EXPECT_FALSE(IsAbsoluteFolder("/fw"));  // no drive: relative to the current one
    EXPECT_TRUE(IsInsideFolder("C:\\users\\ann\\fw", "C:/users/ann"));
    EXPECT_FALSE(IsInsideFolder("C:/users/annex", "C:/users/ann"));
    EXPECT_FALSE(IsInsideFolder("D:/users/ann", "C:/"));
    EXPECT_EQ(DriveOfFolder({"C:/", "D:/"}, "D:/fw café"), "D:/");
}

TEST(HomeFolderOnWindows, IsTheUserProfileOrElseTheShellsProfileFolder) {
    {
        const ProfileVariable profile(L"D:\\Profiles\\ann");
        EXPECT_EQ(platform::UserHomeFolder(), "D:\\Profiles\\ann");
    }
    const ProfileVariable cleared(nullptr);
    const std::string home = platform::UserHomeFolder();
    ASSERT_FALSE(home.empty());
    EXPECT_TRUE(std::filesystem::is_directory(home)) << home;
}

}  // namespace
}  // namespace flash410::chooser
