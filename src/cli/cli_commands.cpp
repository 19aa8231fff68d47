#include "cli/cli_commands.h"

#include <CLI/CLI.hpp>

#include <algorithm>

#include "command_line/argument_parser.h"
#include "command_line/help_formatter.h"
#include "flash410_version.h"

namespace flash410::cli {

namespace {

// The column the commands' summaries and the options' descriptions begin in, each on a line of its own.
constexpr std::size_t kSummaryColumn = 6;

std::string CommandList(std::span<const CliCommand> commands) {
    std::string list = "Commands:\n";
    for (const CliCommand& command : commands) {
        list += "  " + std::string(command.Name) + ' ' + std::string(command.Arguments) + '\n' +
                std::string(kSummaryColumn, ' ') + std::string(command.Summary) + '\n';
    }
    return list;
}

// The program's own options; what follows them (a command and its arguments) is left to the command.
void DefineProgramCommandLine(CLI::App& app, std::span<const CliCommand> commands, bool& version,
                              const SystemConventions& system) {
    app.description(CommandList(commands));
    app.set_help_flag("-h,--help", "Show this text.");
    app.add_flag("--version", version, "Print the program's name and version.");
    app.prefix_command();
    command_line::UseHelpLayout(app, kSummaryColumn, std::string(HelpOptionNames(system)),
                                "COMMAND [ARGUMENTS]");
}

}  // namespace

void PrintUsage(std::span<const CliCommand> commands, std::ostream& stream, const SystemConventions& system) {
    CLI::App app("", "flash410-cli");
    bool version = false;
    DefineProgramCommandLine(app, commands, version, system);
    stream << app.help();
}

int RefuseArguments(std::ostream& err, std::string_view command, std::string_view problem) {
    err << problem << ". Try 'flash410-cli " << command << (command.empty() ? "" : " ") << "--help'.\n";
    return kExitUsage;
}

std::optional<int> ReadCommandArguments(CLI::App& app, std::string_view command,
                                        std::span<const std::string> arguments, std::ostream& out,
                                        std::ostream& err, const SystemConventions& system) {
    const command_line::ParsedArguments parsed =
        command_line::ParseArguments(app, arguments, {.SlashQuestionMarkHelp = system.SlashQuestionMarkHelp});
    if (parsed.HelpRequested) {
        out << app.help();
        return kExitSuccess;
    }
    if (parsed.Problem) {
        return RefuseArguments(err, command, ArgumentProblemText(*parsed.Problem));
    }
    return std::nullopt;
}

std::string ArgumentProblemText(const command_line::ArgumentProblem& problem) {
    switch (problem.Kind) {
        case command_line::ProblemKind::kUnknownOption:
            return "Unknown option: " + problem.Subject;
        case command_line::ProblemKind::kMissingValue:
            return problem.Subject + " needs a value";
        case command_line::ProblemKind::kGivenTwice:
            return problem.Subject + " is given twice";
        case command_line::ProblemKind::kOther:
            break;
    }
    return problem.Subject;
}

int RunCli(std::span<const CliCommand> commands, std::span<const std::string> arguments, std::ostream& out,
           std::ostream& err, const SystemConventions& system) {
    CLI::App app("", "flash410-cli");
    bool version = false;
    DefineProgramCommandLine(app, commands, version, system);
    if (arguments.empty()) {
        err << app.help();
        return kExitUsage;
    }
    const command_line::ParsedArguments parsed =
        command_line::ParseArguments(app, arguments, {.SlashQuestionMarkHelp = system.SlashQuestionMarkHelp});
    if (parsed.HelpRequested || (!parsed.Rest.empty() && parsed.Rest.front() == "help")) {
        out << app.help();
        return kExitSuccess;
    }
    if (parsed.Problem) {
        return RefuseArguments(err, {}, ArgumentProblemText(*parsed.Problem));
    }
    if (version) {
        out << VersionLine("flash410-cli") << '\n';
        return kExitSuccess;
    }
    if (parsed.Rest.empty()) {
        return RefuseArguments(err, {}, "Name a command");
    }
    const std::string& name = parsed.Rest.front();
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const CliCommand& candidate) { return candidate.Name == name; });
    if (command == commands.end()) {
        return RefuseArguments(err, {},
                               (name.starts_with('-') ? "Unknown option: " : "Unknown command: ") + name);
    }
    return command->Run(std::span(parsed.Rest).subspan(1), out, err);
}

}  // namespace flash410::cli
