// The help texts' layout, made from the options' definitions.
#include "command_line/help_formatter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace flash410::command_line {
namespace {

using ::testing::HasSubstr;

TEST(HelpFormatter, LaysOutUsageDescriptionArgumentsGroupsAndFooterFromTheDefinitions) {
    CLI::App app("What the command does.", "program command");
    std::vector<std::string> values;
    bool flag = false;
    app.add_option("FILE", values, "The file.");
    app.add_option("--port", values, "A port;\nrepeatable.")
        ->option_text("P")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--timeout", values, "Seconds.")->option_text("SECONDS")->group("Limits");
    app.add_flag("-q,--quiet", flag, "Quiet.");
    app.set_help_flag("-h,--help", "Shows this text.");
    app.footer("Exit status: 0.");
    UseHelpLayout(app, 12, "--help, /?");
    EXPECT_EQ(app.help(),
              "Usage: program command [--port P]... [--timeout SECONDS] [--quiet] FILE\n"
              "\n"
              "What the command does.\n"
              "\n"
              "  FILE      The file.\n"
              "\n"
              "Options:\n"
              "  --port P  A port;\n"
              "            repeatable.\n"
              "  --quiet   Quiet.\n"
              "  --help, /?\n"
              "            Shows this text.\n"
              "\n"
              "Limits:\n"
              "  --timeout SECONDS\n"
              "            Seconds.\n"
              "\n"
              "Exit status: 0.\n");
}

TEST(HelpFormatter, BreaksALongUsageUnderItsFirstArgumentOrTakesTheGivenOne) {
    CLI::App app("", "program");
    std::vector<std::string> values;
    for (const char* name : {"--first-option", "--second-option", "--third-option", "--fourth-option"}) {
        app.add_option(name, values)->option_text("SOME-VALUE");
    }
    UseHelpLayout(app, 20, "--help");
    EXPECT_THAT(app.help(),
                HasSubstr("Usage: program [--first-option SOME-VALUE] [--second-option SOME-VALUE]\n"
                          "               [--third-option SOME-VALUE] [--fourth-option SOME-VALUE]\n"));
    UseHelpLayout(app, 20, "--help", "[OPTION]...");
    EXPECT_THAT(app.help(), HasSubstr("Usage: program [OPTION]...\n"));
}

}  // namespace
}  // namespace flash410::command_line
