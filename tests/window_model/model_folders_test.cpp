// The window model with the folders of an installed program: the remembered port in the settings folder, the
// capture log in the state folder, both folders made when first needed, nothing in the program's folder,
// and a folder that cannot be made reported while the program goes on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/file_locations.h"
#include "support/fake_serial_line.h"
#include "support/temp_folder.h"
#include "window_model/main_window_model.h"

namespace flash410::window_model {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class ModelFolders : public ::testing::Test {
  protected:
    ModelFolders() { fs::create_directories(program_); }

    MainWindowModel& Model() {
        if (!model_) {
            const flash410::platform::FileLocations files{program_.string() + "/",
                                                          settings_.string() + "/",
                                                          state_.string() + "/",
                                                          "",
                                                          true,
                                                          state_.string() + "/upload-history.jsonl"};
            model_ = std::make_unique<MainWindowModel>(
                WindowModelEnvironment{.clock = [] { return 50000.0; }, .files = files, .testLine = &line_});
            model_->Activate();
        }
        return *model_;
    }
    ScreenState& Screen() { return Model().screen(); }
    void OpenPort(const std::string& port) {
        Screen().PortList.SelectText(port);
        Model().OpenPort();
        for (int i = 0; i < 3; ++i) Model().Tick();
    }
    static std::string Read(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }

    test_support::TempFolder root_{"install"};
    const fs::path program_ = root_.path() / "usr" / "bin";
    const fs::path settings_ = root_.path() / "config" / "flash410";
    const fs::path state_ = root_.path() / "state" / "flash410";
    test_support::FakeSerialLine line_;
    std::unique_ptr<MainWindowModel> model_;
};

TEST_F(ModelFolders, TheProgramFolderStaysTheExecutablesFolder) {
    EXPECT_EQ(Model().state().ProgramFolder, program_.string() + "/");
}

TEST_F(ModelFolders, TheRememberedPortIsReadFromTheSettingsFolderOnly) {
    std::ofstream(program_ / "commsUP.txt") << "3,38400\r\n";
    fs::create_directories(settings_);
    std::ofstream(settings_ / "commsUP.txt") << "7,19200\r\n";
    EXPECT_EQ(Screen().PortList.Text(), "7");
}

TEST_F(ModelFolders, TheOpenedPortIsRememberedInASettingsFolderMadeForIt) {
    OpenPort("5");
    EXPECT_EQ(Screen().PortStatusLine.Caption, "Port is open on Com 5 at 38400 baud");
    EXPECT_EQ(Read(settings_ / "commsUP.txt"), "5,38400\r\n");
    EXPECT_TRUE(Screen().Messages.empty());
    EXPECT_TRUE(fs::is_empty(program_));
}

TEST_F(ModelFolders, TheCaptureLogGoesIntoAStateFolderMadeWhenCaptureIsSwitchedOn) {
    Model();
    EXPECT_FALSE(fs::exists(state_));  // not before it is needed
    Model().ToggleCapture();
    EXPECT_TRUE(Model().CaptureEnabled());
    EXPECT_EQ(Screen().CaptureStatusLine.Caption, "Enabled");
    OpenPort("2");
    Model().WindowClosing();
    EXPECT_THAT(Read(state_ / "Capture.txt"), HasSubstr("[co]com port open at 38400\r\n"));
    EXPECT_TRUE(Screen().Messages.empty());
    EXPECT_TRUE(fs::is_empty(program_));
}

TEST_F(ModelFolders, ASettingsFolderThatCannotBeMadeIsReportedAndThePortStillOpens) {
    std::ofstream(root_.path() / "config") << "a file where the folder should be";
    OpenPort("4");
    EXPECT_EQ(Screen().PortStatusLine.Caption, "Port is open on Com 4 at 38400 baud");
    EXPECT_TRUE(Screen().ChooseFileButton.Visible);
    ASSERT_EQ(Screen().Messages.size(), 1u);
    EXPECT_THAT(Screen().Messages[0], HasSubstr("The port could not be remembered in " + settings_.string() +
                                                "/commsUP.txt (cannot create the folder " +
                                                settings_.string() + "/: Not a directory)"));
    EXPECT_TRUE(fs::is_empty(program_));
}

TEST_F(ModelFolders, AStateFolderThatCannotBeMadeIsReportedAndCaptureStaysOff) {
    std::ofstream(root_.path() / "state") << "a file where the folder should be";
    Model().ToggleCapture();
    EXPECT_FALSE(Model().CaptureEnabled());
    EXPECT_EQ(Screen().CaptureStatusLine.Caption, "Disabled");
    EXPECT_EQ(Screen().CaptureFileButton.Caption, "&Enable Capture File");
    ASSERT_EQ(Screen().Messages.size(), 1u);
    EXPECT_THAT(Screen().Messages[0], HasSubstr("Cannot open the capture file " + state_.string() +
                                                "/Capture.txt: cannot create the folder " + state_.string() +
                                                "/: Not a directory"));
    OpenPort("2");  // the program goes on
    EXPECT_EQ(Screen().PortStatusLine.Caption, "Port is open on Com 2 at 38400 baud");
    EXPECT_TRUE(fs::is_empty(program_));
}

}  // namespace
}  // namespace flash410::window_model
