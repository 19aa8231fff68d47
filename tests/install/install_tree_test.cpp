// The tree `cmake --install` lays out, as the package holds it: the programs, the help text, the desktop
// entry with its icon, the AppStream metainfo, the manual pages and the Debian notes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "installed_tree.h"
#include "run_program.h"
#include "support/temp_folder.h"

namespace flash410::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const std::string AppId = FLASH410_APP_ID;
const std::vector<std::string> Programs{"Flash410", "flash410-cli", "modem-sim"};

class InstallTree : public ::testing::Test {
  protected:
    void SetUp() override {
        const ProgramRun install = InstallInto(prefix_.path());
        ASSERT_EQ(install.exitStatus, 0) << install.output;
    }
    fs::path Installed(const std::string& relative) const { return prefix_.path() / relative; }
    std::string Read(const std::string& relative) const { return ReadFile(Installed(relative)); }
    // The text of a gzip-compressed file, through the gzip program.
    std::string Uncompressed(const std::string& relative) const {
        const ProgramRun run = RunProgram(FLASH410_GZIP, {"-dc", Installed(relative).string()}, {});
        EXPECT_EQ(run.exitStatus, 0) << relative;
        return run.output;
    }

    test_support::TempFolder prefix_{"install"};
};

TEST_F(InstallTree, HoldsEveryFileOfThePackageAndNothingElse) {
    std::set<std::string> files;
    for (const std::string& entry : TreeListing(prefix_.path())) {
        if (!fs::is_directory(fs::symlink_status(Installed(entry)))) {
            files.insert(entry);
        }
    }
    EXPECT_EQ(files, (std::set<std::string>{
                         "bin/Flash410",
                         "bin/flash410-cli",
                         "bin/modem-sim",
                         "share/flash410/VNLflash.HLP",
                         "share/applications/" + AppId + ".desktop",
                         "share/icons/hicolor/48x48/apps/" + AppId + ".png",
                         "share/icons/hicolor/scalable/apps/" + AppId + ".svg",
                         "share/metainfo/" + AppId + ".metainfo.xml",
                         "share/man/man1/Flash410.1.gz",
                         "share/man/man1/flash410-cli.1.gz",
                         "share/man/man1/modem-sim.1.gz",
                         "share/doc/flash410/README.Debian",
                         "share/doc/flash410/changelog.gz",
                         "share/doc/flash410/copyright",
                     }));
}

TEST_F(InstallTree, EachProgramRunsAndSaysItsNameAndVersionWithoutADisplay) {
    std::map<std::string, std::string> environment = CurrentEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.erase(name);
    }
    for (const std::string& program : Programs) {
        const fs::path path = Installed("bin/" + program);
        ASSERT_TRUE(fs::is_regular_file(path)) << path;
        EXPECT_NE(fs::status(path).permissions() & fs::perms::others_exec, fs::perms::none) << path;
        const ProgramRun run = RunProgram(path.string(), {"--version"}, environment);
        EXPECT_EQ(run.exitStatus, 0) << program;
        EXPECT_EQ(run.output, program + " 2.5\n");
    }
    const ProgramRun help = RunProgram(Installed("bin/Flash410").string(), {"--help"}, environment);
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.output.rfind("Usage: Flash410", 0), 0u);
    EXPECT_THAT(help.output, HasSubstr("~/.config/flash410"));
}

TEST_F(InstallTree, TheHelpFileIsTheShippedText) {
    const std::string installed = Read("share/flash410/VNLflash.HLP");
    EXPECT_FALSE(installed.empty());
    EXPECT_EQ(installed, ReadFile(FLASH410_SHIPPED_HELP_FILE));
}

TEST_F(InstallTree, TheDesktopEntryStartsTheWindowProgramWithItsIcon) {
    const std::string entry = Read("share/applications/" + AppId + ".desktop");
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    const std::vector<std::string> lines{"Type=Application", "Name=Flash410",
                                         "Exec=Flash410",    "Terminal=false",
                                         "Icon=" + AppId,    "Categories=Utility;Electronics;"};
    for (const std::string& line : lines) {
        EXPECT_THAT(entry, HasSubstr("\n" + line + "\n"));
    }
    // The icon it names is there in both sizes a menu asks for.
    EXPECT_TRUE(fs::is_regular_file(Installed("share/icons/hicolor/48x48/apps/" + AppId + ".png")));
    EXPECT_TRUE(fs::is_regular_file(Installed("share/icons/hicolor/scalable/apps/" + AppId + ".svg")));
}

TEST_F(InstallTree, TheIconIsA48PixelPictureAndAScalableDrawing) {
    const std::string png = Read("share/icons/hicolor/48x48/apps/" + AppId + ".png");
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    // Width and height, four bytes each, most significant first.
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\x30\0\0\0\x30", 8));

    const std::string svg = Read("share/icons/hicolor/scalable/apps/" + AppId + ".svg");
    EXPECT_THAT(svg, HasSubstr("<svg xmlns=\"http://www.w3.org/2000/svg\""));
    EXPECT_THAT(svg, HasSubstr("viewBox=\"0 0 64 64\""));
    EXPECT_THAT(svg, HasSubstr("</svg>"));
}

TEST_F(InstallTree, TheMetainfoDescribesTheWindowProgramAndThisVersion) {
    const std::string metainfo = Read("share/metainfo/" + AppId + ".metainfo.xml");
    EXPECT_THAT(metainfo, HasSubstr("<component type=\"desktop-application\">"));
    EXPECT_THAT(metainfo, HasSubstr("<id>" + AppId + "</id>"));
    EXPECT_THAT(metainfo, HasSubstr("<launchable type=\"desktop-id\">" + AppId + ".desktop</launchable>"));
    EXPECT_THAT(metainfo, HasSubstr("<binary>Flash410</binary>"));
    EXPECT_THAT(metainfo, HasSubstr("<release version=\"2.5\""));
}

TEST_F(InstallTree, EachProgramHasACompressedManualPage) {
    for (const std::string& program : Programs) {
        const std::string page = Uncompressed("share/man/man1/" + program + ".1.gz");
        EXPECT_THAT(page, HasSubstr("\"Flash410 2.5\"")) << program;
        EXPECT_THAT(page, HasSubstr(".SH NAME\n" + program + " \\- ")) << program;
    }
    EXPECT_THAT(Uncompressed("share/man/man1/Flash410.1.gz"), HasSubstr("flash410/commsUP.txt"));
}

TEST_F(InstallTree, TheDebianNotesSayHowToGetAtTheSerialPortAndWhereTheFilesAre) {
    const std::string readme = Read("share/doc/flash410/README.Debian");
    EXPECT_THAT(readme, HasSubstr("sudo usermod -aG dialout USER"));
    EXPECT_THAT(readme, HasSubstr("log out and in again"));
    EXPECT_THAT(readme, HasSubstr("~/.config/flash410/commsUP.txt"));
    EXPECT_THAT(readme, HasSubstr("~/.local/state/flash410/Capture.txt"));
    EXPECT_THAT(Uncompressed("share/doc/flash410/changelog.gz"), HasSubstr("flash410 (2.5) unstable;"));
}

}  // namespace
}  // namespace flash410::test
