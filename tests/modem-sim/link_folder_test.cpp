// "--link FOLDER N": the link goes where the program in FOLDER looks for its port links.
#include "program/link_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "support/temp_folder.h"

namespace modemsim {
namespace {

namespace fs = std::filesystem;

class LinkFolder : public ::testing::Test {
  protected:
    flash410::platform::UserFolders User() const {
        return {(root_ / "home").string(), (root_ / "config").string(), ""};
    }

    const flash410::test_support::TempFolder temp_{"modem-sim-link"};
    const fs::path root_ = temp_.path();
};

TEST_F(LinkFolder, AProgramInAFolderOfItsOwnGetsTheLinkInThatFolder) {
    EXPECT_EQ(fs::path(PortLinkFolder(root_, User())).lexically_normal(), (root_ / "").lexically_normal());
    EXPECT_FALSE(fs::exists(root_ / "config"));
}

TEST_F(LinkFolder, AnInstalledProgramGetsTheLinkInTheUsersConfigurationFolderMadeForIt) {
    fs::create_directories(root_ / "usr" / "bin");
    fs::create_directories(root_ / "usr" / "share" / "flash410");
    std::ofstream(root_ / "usr" / "share" / "flash410" / "VNLflash.HLP") << "help";

    const fs::path folder = PortLinkFolder(root_ / "usr" / "bin", User());

    EXPECT_EQ(folder.lexically_normal(), (root_ / "config" / "flash410" / "").lexically_normal());
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_FALSE(fs::exists(root_ / "usr" / "bin" / "ports"));
}

TEST_F(LinkFolder, AMissingProgramFolderIsSaidAsSuch) {
    try {
        PortLinkFolder(root_ / "no-such-folder", User());
        FAIL() << "no error for a missing folder";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "program folder " + (root_ / "no-such-folder").string() + " does not exist");
    }
}

}  // namespace
}  // namespace modemsim
