// "flash410-cli upload": the window's upload, from a terminal or a script, to one modem or to several at
// once, each on its own port with its own engine.
#pragma once

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/terminal.h"
#include "serial/port_inventory.h"

namespace flash410::cli {

struct UploadContext {
    // The folder that holds the ports/comN links, as the window's settings folder.
    std::string linkFolder;
    // Whether the upload should stop now (Ctrl+C); when empty, the command catches the stop signals itself.
    std::function<bool()> stopRequested;
    // What the terminal that standard output goes to can do to rewrite a line; none for a file or a pipe.
    TerminalControl terminal = TerminalControl::kNone;
    // The terminal's width in characters now (it may change while the upload runs); 0 when unknown.
    std::function<std::size_t()> terminalColumns;
    // The serial ports present, where a USB adapter named by --port usb:... is looked for; when empty,
    // the system's own list with the link folder's port links.
    std::function<std::vector<serial::PortDescription>()> listPorts = nullptr;
    // The upload history file each upload that begins is added to; none is kept when empty.
    std::string historyFile = {};
};

int RunUpload(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
              const UploadContext& context);

CliCommand UploadCommand(UploadContext context);

}  // namespace flash410::cli
