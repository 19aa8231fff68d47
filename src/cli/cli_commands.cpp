#include "cli/cli_commands.h"

#include <algorithm>

#include "flash410_version.h"

namespace flash410::cli {

void PrintUsage(std::span<const CliCommand> commands, std::ostream& stream, const SystemConventions& system) {
    stream << "Usage: flash410-cli COMMAND [ARGUMENTS]\n\nCommands:\n";
    for (const CliCommand& command : commands) {
        stream << "  " << command.Name << ' ' << command.Arguments << "\n      " << command.Summary << '\n';
    }
    stream << "\nOptions:\n  " << HelpOptionNames(system)
           << "\n      Show this text.\n  --version\n      Print the program's name and version.\n";
}

int RefuseArguments(std::ostream& err, std::string_view command, std::string_view problem) {
    err << problem << ". Try 'flash410-cli " << command << (command.empty() ? "" : " ") << "--help'.\n";
    return kExitUsage;
}

int RunCli(std::span<const CliCommand> commands, std::span<const std::string> arguments, std::ostream& out,
           std::ostream& err, const SystemConventions& system) {
    if (arguments.empty()) {
        PrintUsage(commands, err, system);
        return kExitUsage;
    }
    const std::string& name = arguments.front();
    if (name == "help" || AsksForHelp(name, system)) {
        PrintUsage(commands, out, system);
        return kExitSuccess;
    }
    if (name == "--version") {
        out << VersionLine("flash410-cli") << '\n';
        return kExitSuccess;
    }
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const CliCommand& candidate) { return candidate.Name == name; });
    if (command == commands.end()) {
        return RefuseArguments(err, {},
                               (name.starts_with('-') ? "Unknown option: " : "Unknown command: ") + name);
    }
    return command->Run(arguments.subspan(1), out, err);
}

}  // namespace flash410::cli
