// The help text the program ships: every screen's topic is there, parses cleanly, covers what the
// operator needs on that screen, and the build puts an identical copy beside the program.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "window_model/help_file.h"

namespace flash410::window_model {
namespace {

const std::filesystem::path ShippedHelp = FLASH410_SHIPPED_HELP_FILE;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ShippedHelp, HoldsExactlyTheScreensTopicsWithoutFaults) {
    const HelpFile help = HelpFile::Load(ShippedHelp);

    ASSERT_TRUE(help.IsUsable()) << help.Problem();
    for (const std::string& warning : help.Warnings()) {
        ADD_FAILURE() << warning;
    }
    std::vector<int> contexts;
    for (const HelpSection& section : help.Sections()) {
        contexts.push_back(section.context);
        EXPECT_FALSE(section.paragraphs.empty()) << "topic " << section.context;
        EXPECT_NE(section.title, "Topic " + std::to_string(section.context)) << "untitled topic";
    }
    EXPECT_EQ(contexts, (std::vector<int>{1, 3, 4, 5}));
}

struct TopicContent {
    int context;
    std::vector<std::string> phrases;
};

class ShippedTopic : public testing::TestWithParam<TopicContent> {};

TEST_P(ShippedTopic, CoversWhatTheOperatorNeedsOnThatScreen) {
    const HelpFile help = HelpFile::Load(ShippedHelp);
    const HelpSection* section = help.Find(GetParam().context);
    ASSERT_NE(section, nullptr) << help.MessageFor(GetParam().context);
    const std::string text = section->PlainText();
    for (const std::string& phrase : GetParam().phrases) {
        EXPECT_NE(text.find(phrase), std::string::npos)
            << "topic " << GetParam().context << " lacks " << phrase;
    }
}

INSTANTIATE_TEST_SUITE_P(
    ShippedHelp, ShippedTopic,
    testing::Values(
        TopicContent{1,
                     {"Select Com Port", "19200", "38400", "BULK", "M+C", "Start Upload", "ports/comN",
                      "COM1 to COM4: /dev/ttyS0 to /dev/ttyS3", "COM5 to COM12: /dev/ttyUSB0 to /dev/ttyUSB7",
                      "COM13 to COM19: /dev/ttyACM0 to /dev/ttyACM6", "dialout", "~/.config/flash410",
                      "~/.local/state/flash410", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "beside itself"}},
        TopicContent{3,
                     {"Opening Com Port...", "Port is open on Com", "Port did not open on Com", "Choose File",
                      "(.vxf)", "(.bin)", "(.h86)", "(.mcs)", "(.hex)", "Unexpected file extension",
                      "Go Back to Start"}},
        TopicContent{
            4,
            {"Data file conversion complete, chksums: ", "blocks", "Start Upload", "READY", "Sending block",
             "DO NOT INTERRUPT", "Timed out waiting for response", "Upload failed", "baud rate"}},
        TopicContent{5,
                     {"The 410 will re-boot. Upload is complete", "Repeat Upload", "Go Back to Start",
                      "Capture.txt", "[out]", "[in]"}}),
    [](const testing::TestParamInfo<TopicContent>& info) {
        return "Topic" + std::to_string(info.param.context);
    });

TEST(ShippedHelp, TheBuildPutsTheSameFileBesideTheProgram) {
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
    const std::filesystem::path besideProgram = program.parent_path() / kHelpFileName;

    ASSERT_TRUE(std::filesystem::is_regular_file(besideProgram)) << besideProgram;
    EXPECT_EQ(ReadAll(besideProgram), ReadAll(ShippedHelp));
}

}  // namespace
}  // namespace flash410::window_model
