// flash410-cli: the upload engine's tools from the command line, for work without a modem.
#include <array>
#include <iostream>
#include <string>
#include <vector>

#include "cli_commands.h"
#include "prepare_command.h"

int main(int argc, char** argv) {
    const std::array commands{flash410::cli::PrepareCommand()};
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return flash410::cli::RunCli(commands, arguments, std::cout, std::cerr);
}
