#include "cli_commands.h"

#include <algorithm>

namespace flash410::cli {

void PrintUsage(std::span<const CliCommand> commands, std::ostream& stream) {
    stream << "Usage: flash410-cli COMMAND [ARGUMENTS]\n\nCommands:\n";
    for (const CliCommand& command : commands) {
        stream << "  " << command.Name << ' ' << command.Arguments << "\n      " << command.Summary << '\n';
    }
}

int RunCli(std::span<const CliCommand> commands, std::span<const std::string> arguments, std::ostream& out,
           std::ostream& err) {
    if (arguments.empty()) {
        PrintUsage(commands, err);
        return ExitUsage;
    }
    const std::string& name = arguments.front();
    if (name == "help" || name == "-h" || name == "--help") {
        PrintUsage(commands, out);
        return ExitSuccess;
    }
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const CliCommand& candidate) { return candidate.Name == name; });
    if (command == commands.end()) {
        err << "Unknown command: " << name << "\n\n";
        PrintUsage(commands, err);
        return ExitUsage;
    }
    return command->Run(arguments.subspan(1), out, err);
}

}  // namespace flash410::cli
