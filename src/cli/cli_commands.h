// flash410-cli's subcommands and their exit statuses.
//
// Errors: a command never lets an exception out; it writes what went wrong to its error stream, in the
// window's words where the window has them, and says how it ended by its exit status (below).
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/system_conventions.h"
#include "command_line/argument_problem.h"

namespace CLI {  // NOLINT(readability-identifier-naming): the command line library's own name
class App;
}  // namespace CLI

namespace flash410::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitPortUnavailable = 3;
inline constexpr int kExitTimedOut = 4;
inline constexpr int kExitStopped = 130;  // as a shell reports a program ended by Ctrl+C

// One subcommand of flash410-cli. Run gets the arguments after the subcommand's name and returns the
// exit status; it reads them with a CLI::App of its own (command_line/argument_parser.h), so that a command
// is added by adding its entry to the program's table.
struct CliCommand {
    std::string_view Name;
    std::string_view Arguments;  // as shown in the usage text, e.g. "FILE"
    std::string_view Summary;
    std::function<int(std::span<const std::string> arguments, std::ostream& out, std::ostream& err)> Run;
};

// Picks the subcommand named by the first argument and runs it; prints the usage text for "help" and the
// system's help options ("--help", "/?" on Windows), the name and version for "--version", the usage text
// to err when there is no argument at all, and one line for an unknown subcommand or option.
int RunCli(std::span<const CliCommand> commands, std::span<const std::string> arguments, std::ostream& out,
           std::ostream& err, const SystemConventions& system = ThisSystem());

void PrintUsage(std::span<const CliCommand> commands, std::ostream& stream,
                const SystemConventions& system = ThisSystem());

// Answers wrong arguments: one line to err saying what is wrong and where the help is ("Try
// 'flash410-cli upload --help'."; command is empty for the program's own), rather than the whole help,
// which would bury the one line that matters. Returns the exit status for wrong arguments.
int RefuseArguments(std::ostream& err, std::string_view command, std::string_view problem);
// What the command line parser found wrong, in the commands' words: "Unknown option: --x", "--port needs
// a value", "--baud is given twice".
std::string ArgumentProblemText(const command_line::ArgumentProblem& problem);

// Reads a command's arguments into its app: nothing when the command goes on, or the status it ends with
// after printing its help (asked for) or refusing the arguments (RefuseArguments).
std::optional<int> ReadCommandArguments(CLI::App& app, std::string_view command,
                                        std::span<const std::string> arguments, std::ostream& out,
                                        std::ostream& err, const SystemConventions& system);

}  // namespace flash410::cli
