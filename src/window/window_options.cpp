#include "window/window_options.h"

#include <CLI/CLI.hpp>

#include "command_line/argument_parser.h"
#include "command_line/help_formatter.h"
#include "flash410_version.h"

namespace flash410::window {

namespace {

constexpr char kDescription[] =
    R"(Uploads new firmware into the flash memory of a Varnel ZRM-410 satellite modem over its RS-232
remote-control port. Everything else happens in the window; its Help button explains each screen.

Files: installed, the program keeps the remembered port (commsUP.txt) and the port links (ports/comN)
in $XDG_CONFIG_HOME/flash410 (~/.config/flash410) and the capture log (Capture.txt) in
$XDG_STATE_HOME/flash410 (~/.local/state/flash410); run from a folder of its own, it keeps them beside
itself. The folder of the last chosen firmware file is remembered in ~/VNLflash.set.)";

constexpr std::size_t kDescriptionColumn = 13;

}  // namespace

std::optional<int> AnswerInformationOption(std::span<const std::string> arguments, std::ostream& out) {
    CLI::App app(kDescription, "Flash410");
    bool version = false;
    app.add_flag("--version", version, "print the program's name and version and end");
    app.set_help_flag("--help", "show this text and end");
    command_line::UseHelpLayout(app, kDescriptionColumn, "--help", "[--version | --help]");
    // Whatever else is given is the window toolkit's, which takes options of its own (-platform, -style,
    // ...): it is no problem here.
    if (command_line::ParseArguments(app, arguments).HelpRequested) {
        out << app.help();
        return 0;
    }
    if (version) {
        out << VersionLine("Flash410") << '\n';
        return 0;
    }
    return std::nullopt;
}

}  // namespace flash410::window
