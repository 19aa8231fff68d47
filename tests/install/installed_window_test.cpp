// The window program started from an installed tree keeps its files in the user's XDG folders and
// writes nothing beside itself; started from a folder of its own it keeps them there. Either way it
// finds its help text. The window runs offscreen in a program of its own (window_probe.cpp), placed
// where the installed or the copied program would be.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "installed_tree.h"
#include "run_program.h"
#include "support/pseudo_terminal.h"
#include "support/temp_folder.h"

namespace flash410::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr char ProbeName[] = "flash410-window-probe";

class InstalledWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(home_);
        fs::create_directories(work_);
        environment_ = CurrentEnvironment();
        environment_["HOME"] = home_.string();
        environment_["QT_QPA_PLATFORM"] = "offscreen";
        environment_["XDG_CONFIG_HOME"] = config_.string();
        environment_["XDG_STATE_HOME"] = state_.string();
    }

    // Installs the tree and puts the probe beside the installed programs.
    fs::path InstallWithProbe() {
        const ProgramRun install = InstallInto(prefix_);
        EXPECT_EQ(install.exitStatus, 0) << install.output;
        const fs::path probe = prefix_ / "bin" / ProbeName;
        fs::copy_file(FLASH410_WINDOW_PROBE, probe);
        return probe;
    }
    // The modem's port: a link in the folder where the program looks for its port links.
    void LinkPort3(const fs::path& settingsFolder) {
        fs::create_directories(settingsFolder / "ports");
        fs::create_symlink(line_.slavePath(), settingsFolder / "ports" / "com3");
    }
    ProgramRun RunProbe(const fs::path& probe) {
        return RunProgram(probe.string(), {"3"}, environment_, work_);
    }
    void ExpectAWholeRun(const ProgramRun& run, const std::string& installed) {
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_THAT(run.output, HasSubstr("installed: " + installed + "\n"));
        EXPECT_THAT(run.output, HasSubstr("capture: Enabled\n"));
        EXPECT_THAT(run.output, HasSubstr("port: Port is open on Com 3 at 38400 baud\n"));
        // The topic of the main upload panel; 0 without a usable help file.
        EXPECT_THAT(run.output, HasSubstr("help topic shown: 3\n"));
        EXPECT_THAT(run.output, Not(HasSubstr("message: ")));
    }
    void ExpectFilesIn(const fs::path& settingsFolder, const fs::path& stateFolder) {
        EXPECT_EQ(ReadFile(settingsFolder / "commsUP.txt"), "3,38400\r\n");
        const std::string capture = ReadFile(stateFolder / "Capture.txt");
        EXPECT_THAT(capture, HasSubstr("[start]\r\n"));
        EXPECT_THAT(capture, HasSubstr("[co]com port open at 38400\r\n"));
    }

    test_support::TempFolder root_{"install"};
    const fs::path prefix_ = root_.path() / "prefix";
    const fs::path home_ = root_.path() / "home";
    const fs::path work_ = root_.path() / "work";
    const fs::path config_ = root_.path() / "config";
    const fs::path state_ = root_.path() / "state";
    test_support::PseudoTerminal line_;
    std::map<std::string, std::string> environment_;
};

TEST_F(InstalledWindow, KeepsItsFilesInTheXdgFoldersAndWritesNothingBesideItself) {
    const fs::path probe = InstallWithProbe();
    LinkPort3(config_ / "flash410");
    const std::set<std::string> installedTree = TreeListing(prefix_);

    const ProgramRun run = RunProbe(probe);

    ExpectAWholeRun(run, "yes");
    // The state folder did not exist: the capture log made it.
    ExpectFilesIn(config_ / "flash410", state_ / "flash410");
    EXPECT_EQ(TreeListing(prefix_), installedTree);
}

TEST_F(InstalledWindow, NamesItselfAfterTheInstalledDesktopEntry) {
    const fs::path probe = InstallWithProbe();
    LinkPort3(config_ / "flash410");

    const ProgramRun run = RunProbe(probe);

    const std::string prefix = "desktop entry: ";
    const auto start = run.output.find(prefix);
    ASSERT_NE(start, std::string::npos) << run.output;
    const std::string entry =
        run.output.substr(start + prefix.size(), run.output.find('\n', start) - start - prefix.size());
    EXPECT_TRUE(fs::is_regular_file(prefix_ / "share" / "applications" / entry)) << entry;
}

TEST_F(InstalledWindow, WithoutUsableXdgVariablesTheFilesGoBelowTheHomeFolder) {
    const fs::path probe = InstallWithProbe();
    environment_.erase("XDG_CONFIG_HOME");
    environment_["XDG_STATE_HOME"] = "relative/state";  // not absolute: ignored
    LinkPort3(home_ / ".config" / "flash410");
    const std::set<std::string> installedTree = TreeListing(prefix_);

    const ProgramRun run = RunProbe(probe);

    ExpectAWholeRun(run, "yes");
    ExpectFilesIn(home_ / ".config" / "flash410", home_ / ".local" / "state" / "flash410");
    EXPECT_FALSE(fs::exists(work_ / "relative"));
    EXPECT_EQ(TreeListing(prefix_), installedTree);
}

TEST_F(InstalledWindow, AnEmptyXdgVariableIsIgnoredToo) {
    const fs::path probe = InstallWithProbe();
    environment_["XDG_CONFIG_HOME"] = "";
    environment_["XDG_STATE_HOME"] = "";
    LinkPort3(home_ / ".config" / "flash410");

    const ProgramRun run = RunProbe(probe);

    ExpectAWholeRun(run, "yes");
    ExpectFilesIn(home_ / ".config" / "flash410", home_ / ".local" / "state" / "flash410");
}

TEST_F(InstalledWindow, AProgramInAFolderOfItsOwnKeepsItsFilesAndFindsItsHelpBesideItself) {
    const fs::path folder = root_.path() / "stick";
    fs::create_directories(folder);
    const fs::path probe = folder / ProbeName;
    fs::copy_file(FLASH410_WINDOW_PROBE, probe);
    fs::copy_file(FLASH410_SHIPPED_HELP_FILE, folder / "VNLflash.HLP");
    LinkPort3(folder);

    const ProgramRun run = RunProbe(probe);

    ExpectAWholeRun(run, "no");
    ExpectFilesIn(folder, folder);
    EXPECT_FALSE(fs::exists(config_));
    EXPECT_FALSE(fs::exists(state_));
}

TEST_F(InstalledWindow, AFolderNamedBinWithoutTheInstalledHelpIsAFolderOfItsOwn) {
    const fs::path folder = root_.path() / "copy" / "bin";
    fs::create_directories(folder);
    const fs::path probe = folder / ProbeName;
    fs::copy_file(FLASH410_WINDOW_PROBE, probe);
    LinkPort3(folder);

    const ProgramRun run = RunProbe(probe);

    EXPECT_THAT(run.output, HasSubstr("installed: no\n"));
    EXPECT_THAT(run.output, HasSubstr("help topic shown: 0\n"));  // no help file anywhere
    ExpectFilesIn(folder, folder);
    EXPECT_FALSE(fs::exists(config_));
}

}  // namespace
}  // namespace flash410::test
