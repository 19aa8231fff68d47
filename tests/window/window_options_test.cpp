// The window program's own options, answered before the window toolkit starts; the toolkit's are left alone.
#include "window/window_options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace flash410::window {
namespace {

std::optional<int> Answer(const std::vector<std::string>& arguments, std::string& output) {
    std::ostringstream out;
    const std::optional<int> status = AnswerInformationOption(arguments, out);
    output = out.str();
    return status;
}

TEST(WindowOptions, HelpAndVersionAreAnsweredAmongTheToolkitsOptions) {
    std::string output;
    EXPECT_EQ(Answer({"-platform", "offscreen", "--version"}, output), 0);
    EXPECT_EQ(output, "Flash410 2.5\n");
    EXPECT_EQ(Answer({"-style=fusion", "--help"}, output), 0);
    EXPECT_EQ(output.rfind("Usage: Flash410 [--version | --help]\n", 0), 0u) << output;
    EXPECT_NE(output.find("  --version  print the program's name and version and end\n"), std::string::npos);
    EXPECT_NE(output.find("  --help     show this text and end\n"), std::string::npos);
}

TEST(WindowOptions, EverythingElseIsLeftToTheToolkit) {
    std::string output;
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"-platform", "offscreen"}, {"-reverse", "firmware.hex"}, {"--frob"}}) {
        EXPECT_EQ(Answer(arguments, output), std::nullopt);
        EXPECT_EQ(output, "");
    }
}

}  // namespace
}  // namespace flash410::window
