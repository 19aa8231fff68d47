// flash410-cli: the upload from a terminal or a script, and the engine's tools for work without a modem.
#include <array>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/history_command.h"
#include "cli/ports_command.h"
#include "cli/prepare_command.h"
#include "cli/station_command.h"
#include "cli/terminal.h"
#include "cli/upload_command.h"
#include "platform/file_locations.h"
#include "platform/home_folder.h"
#include "platform/program_folder.h"
#include "platform/standard_streams.h"
#include "platform/utf8_console.h"

int main(int argc, char** argv) {
    flash410::platform::SecureStandardStreams();
    const flash410::platform::Utf8Console console;
    const flash410::platform::FileLocations files = flash410::platform::LocateFiles(
        flash410::platform::RunningProgramFolder(),
        flash410::platform::UserFoldersFromEnvironment(flash410::platform::UserHomeFolder()));
    const flash410::cli::ProgressTerminal terminal(stdout);
    flash410::cli::UploadContext upload;
    upload.linkFolder = files.settingsFolder;
    upload.terminal = terminal.Control();
    upload.terminalColumns = [&terminal] { return terminal.Columns(); };
    upload.historyFile = files.historyFile;
    flash410::cli::StationContext station;
    station.upload = upload;
    flash410::serial::InventoryRoots portRoots;
    portRoots.LinkFolder = files.settingsFolder;
    const std::array commands{
        flash410::cli::UploadCommand(std::move(upload)), flash410::cli::StationCommand(std::move(station)),
        flash410::cli::PrepareCommand(), flash410::cli::PortsCommand([portRoots] {
            return flash410::serial::ListPorts(portRoots, flash410::serial::PortHolders::kLookedUp);
        }),
        flash410::cli::HistoryCommand(files.historyFile)};
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return flash410::cli::RunCli(commands, arguments, std::cout, std::cerr);
}
