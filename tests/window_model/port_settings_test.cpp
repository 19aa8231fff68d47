// The remembered port: "commsUP.txt" in the program's folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "support/temp_folder.h"
#include "window_model/port_settings_file.h"
#include "window_model/screen_state.h"

namespace flash410::window_model {
namespace {

namespace fs = std::filesystem;

class PortSettings : public ::testing::Test {
  protected:
    test_support::TempFolder temp_{"settings"};  // declared first, so it is removed last
    PortSettings() {
        folder_ = temp_.path().string();
        path_ = folder_ + "/commsUP.txt";
    }

    void WriteFile(const std::string& content) { std::ofstream(path_, std::ios::binary) << content; }
    std::string ReadFile() {
        std::ifstream file(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }
    std::optional<std::string> Read() { return ReadPortSettings(path_, screen_.PortList, screen_.BaudList); }

    std::string folder_;
    std::string path_;
    ScreenState screen_ = DesignedScreen();
};

TEST_F(PortSettings, WithoutAFilePortOneAnd38400AreSelected) {
    EXPECT_FALSE(Read());
    EXPECT_EQ(screen_.PortList.Text(), "1");
    EXPECT_EQ(screen_.BaudList.Text(), "38400");
}

TEST_F(PortSettings, TheRememberedPortIsSelectedButTheBaudRateAlwaysReads38400) {
    WriteFile("3,19200\r\n");
    EXPECT_FALSE(Read());
    EXPECT_EQ(screen_.PortList.Text(), "3");
    EXPECT_EQ(screen_.BaudList.Text(), "38400");
    WriteFile("12,38400\r\n");
    Read();
    EXPECT_EQ(screen_.PortList.Text(), "12");
}

TEST_F(PortSettings, TheLastLineDecidesAndLineFeedsAloneAreReadToo) {
    WriteFile("3,19200\n7\n");
    Read();
    EXPECT_EQ(screen_.PortList.Text(), "7");
    WriteFile("");
    Read();
    EXPECT_EQ(screen_.PortList.Text(), "1");  // an empty file changes nothing
}

TEST_F(PortSettings, ATextMatchingNoEntryLeavesNoPortSelected) {
    for (const char* content : {"20,38400\r\n", "\r\n", " 3,38400\r\n", "COM3\r\n"}) {
        WriteFile(content);
        Read();
        EXPECT_EQ(screen_.PortList.ItemIndex, -1) << content;
        EXPECT_EQ(screen_.PortList.Text(), "") << content;
    }
}

TEST_F(PortSettings, OnlyAPortOtherThanTheRememberedOneIsWritten) {
    WriteFile("3,19200\r\n");
    Read();
    const std::string remembered = screen_.PortList.Text();
    screen_.BaudList.ItemIndex = 0;  // only the baud rate changed: nothing is written
    EXPECT_FALSE(WritePortSettings(path_, screen_.PortList, screen_.BaudList, remembered));
    EXPECT_EQ(ReadFile(), "3,19200\r\n");
    screen_.PortList.SelectText("5");
    EXPECT_FALSE(WritePortSettings(path_, screen_.PortList, screen_.BaudList, remembered));
    EXPECT_EQ(ReadFile(), "5,19200\r\n");
}

TEST_F(PortSettings, AnUnwritableFileIsReportedWithItsPath) {
    fs::create_directory(path_);  // a folder where the file should be: it can be neither read nor written
    auto readProblem = Read();
    ASSERT_TRUE(readProblem);
    EXPECT_NE(readProblem->find(path_), std::string::npos);
    EXPECT_EQ(screen_.PortList.Text(), "1");
    screen_.PortList.SelectText("4");
    auto writeProblem = WritePortSettings(path_, screen_.PortList, screen_.BaudList, "1");
    ASSERT_TRUE(writeProblem);
    EXPECT_NE(writeProblem->find(path_), std::string::npos);
}

}  // namespace
}  // namespace flash410::window_model
