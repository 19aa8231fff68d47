// The help file's load failures that only POSIX systems can stage: a link loop and a file without read
// permission.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/temp_folder.h"
#include "window_model/help_file.h"

namespace flash410::window_model {
namespace {

TEST(HelpFileLoad, ALinkThatLeadsNowhereGivesTheSystemsReason) {
    const test_support::TempFolder folder("help");
    const auto path = folder.path() / "VNLflash.HLP";
    std::filesystem::create_symlink(path, path);  // a link to itself never resolves

    const HelpFile help = HelpFile::Load(path);

    EXPECT_FALSE(help.IsUsable());
    EXPECT_EQ(help.Problem(),
              "The help file " + path.string() + " cannot be read: Too many levels of symbolic links.");
}

TEST(HelpFileLoad, AnUnreadableFileGivesTheSystemsReason) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads any file";
    }
    const test_support::TempFolder folder("help");
    const auto path = folder.Write("VNLflash.HLP", "[topic 1] T\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);

    const HelpFile help = HelpFile::Load(path);

    EXPECT_EQ(help.Problem(), "The help file " + path + " cannot be read: Permission denied.");
}

}  // namespace
}  // namespace flash410::window_model
