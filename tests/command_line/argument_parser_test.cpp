// What CLI11 makes of a command line, as the programs are told it: help, the first problem, and the rest
// that a prefix command leaves to its commands.
#include "command_line/argument_parser.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace flash410::command_line {
namespace {

// An app like the programs': a repeatable option, a once-only option, one of two values, a flag, files.
struct ExampleCommandLine {
    ExampleCommandLine() {
        app.add_option("--port", ports)
            ->allow_extra_args(false)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        app.add_option("--baud", baud);
        app.add_option("--link", link)->expected(2)->allow_extra_args(false);
        app.add_flag("-q,--quiet", quiet);
        app.add_option("FILE", files);
    }

    ParsedArguments Parse(std::vector<std::string> arguments, ParseSettings settings = {}) {
        return ParseArguments(app, arguments, settings);
    }

    CLI::App app{"", "example"};
    std::vector<std::string> ports;
    std::optional<std::string> baud;
    std::vector<std::string> link;
    bool quiet = false;
    std::vector<std::string> files;
};

std::optional<ArgumentProblem> ProblemWith(std::vector<std::string> arguments) {
    ExampleCommandLine commandLine;
    return commandLine.Parse(std::move(arguments)).Problem;
}

TEST(ArgumentParser, ReadsOptionsInEitherFormAnywhereAndFilesAfterTheEndOfOptions) {
    ExampleCommandLine commandLine;
    const ParsedArguments parsed = commandLine.Parse(
        {"a.hex", "--port=5", "-q", "--port", "COM6", "--baud=19200", "--", "-", "--quiet"});
    EXPECT_FALSE(parsed.HelpRequested);
    EXPECT_EQ(parsed.Problem, std::nullopt);
    EXPECT_EQ(commandLine.ports, (std::vector<std::string>{"5", "COM6"}));
    EXPECT_EQ(commandLine.baud, "19200");
    EXPECT_TRUE(commandLine.quiet);
    EXPECT_EQ(commandLine.files, (std::vector<std::string>{"a.hex", "-", "--quiet"}));
}

TEST(ArgumentParser, NamesTheFirstProblemByItsKind) {
    EXPECT_EQ(ProblemWith({"--force", "a.hex"}),
              (ArgumentProblem{ProblemKind::kUnknownOption, "--force", 0}));
    EXPECT_EQ(ProblemWith({"a.hex", "--baud"}), (ArgumentProblem{ProblemKind::kMissingValue, "--baud", 1}));
    EXPECT_EQ(ProblemWith({"--port=", "a.hex"}), (ArgumentProblem{ProblemKind::kMissingValue, "--port", 1}));
    EXPECT_EQ(ProblemWith({"--link", "folder"}), (ArgumentProblem{ProblemKind::kMissingValue, "--link", 2}));
    EXPECT_EQ(ProblemWith({"--baud", "1", "a.hex", "--baud", "2"}),
              (ArgumentProblem{ProblemKind::kGivenTwice, "--baud", 1}));
    EXPECT_EQ(ProblemWith({"--link", "a", "1", "--link", "b", "2"}),
              (ArgumentProblem{ProblemKind::kGivenTwice, "--link", 2}));
    // A value that looks like a negative number is a value, not an option.
    EXPECT_EQ(ProblemWith({"--baud", "-9600"}), std::nullopt);
    const std::optional<ArgumentProblem> other = ProblemWith({"--quiet=perhaps"});
    ASSERT_TRUE(other.has_value());
    EXPECT_EQ(other->Kind, ProblemKind::kOther);
    EXPECT_FALSE(other->Subject.empty());
}

TEST(ArgumentParser, HelpIsAskedForByItsOptionsAndSlashQuestionMarkWhereTheSystemHasIt) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--help"}, {"a.hex", "-h"}, {"--baud", "1", "--help"}}) {
        EXPECT_TRUE(ExampleCommandLine().Parse(arguments).HelpRequested) << arguments.back();
    }
    EXPECT_TRUE(ExampleCommandLine().Parse({"a.hex", "/?"}, {.SlashQuestionMarkHelp = true}).HelpRequested);
    ExampleCommandLine withoutSlashHelp;
    EXPECT_FALSE(withoutSlashHelp.Parse({"/?"}).HelpRequested);
    EXPECT_EQ(withoutSlashHelp.files, std::vector<std::string>{"/?"});
    // After "--" it is a file's name on every system.
    ExampleCommandLine afterEnd;
    EXPECT_FALSE(afterEnd.Parse({"--", "/?"}, {.SlashQuestionMarkHelp = true}).HelpRequested);
    EXPECT_EQ(afterEnd.files, std::vector<std::string>{"/?"});
}

TEST(ArgumentParser, APrefixCommandLeavesEverythingFromItsFirstUnknownArgumentToItsCaller) {
    CLI::App app("", "program");
    bool version = false;
    app.add_flag("--version", version);
    app.prefix_command();
    const std::vector<std::string> arguments{"--version", "upload", "--port", "3", "--", "--help"};
    const ParsedArguments parsed = ParseArguments(app, arguments);
    EXPECT_EQ(parsed.Problem, std::nullopt);
    EXPECT_FALSE(parsed.HelpRequested);
    EXPECT_TRUE(version);
    EXPECT_EQ(parsed.Rest, (std::vector<std::string>{"upload", "--port", "3", "--", "--help"}));
}

}  // namespace
}  // namespace flash410::command_line
