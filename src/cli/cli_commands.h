// flash410-cli's subcommands and their exit statuses.
//
// Errors: a command never lets an exception out; it writes what went wrong to its error stream, in the
// window's words where the window has them, and says how it ended by its exit status (below).
#pragma once

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/system_conventions.h"

namespace flash410::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitPortUnavailable = 3;
inline constexpr int kExitTimedOut = 4;
inline constexpr int kExitStopped = 130;  // as a shell reports a program ended by Ctrl+C

// One subcommand of flash410-cli. Run gets the arguments after the subcommand's name and returns the
// exit status.
struct CliCommand {
    std::string_view Name;
    std::string_view Arguments;  // as shown in the usage text, e.g. "FILE"
    std::string_view Summary;
    std::function<int(std::span<const std::string> arguments, std::ostream& out, std::ostream& err)> Run;
};

// Picks the subcommand named by the first argument and runs it; prints the usage text for "help" and the
// system's help options ("--help", "/?" on Windows), the name and version for "--version", and the usage
// text to err for a missing or unknown subcommand.
int RunCli(std::span<const CliCommand> commands, std::span<const std::string> arguments, std::ostream& out,
           std::ostream& err, const SystemConventions& system = ThisSystem());

void PrintUsage(std::span<const CliCommand> commands, std::ostream& stream,
                const SystemConventions& system = ThisSystem());


}  // namespace flash410::cli
