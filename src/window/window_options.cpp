#include "window/window_options.h"

#include "flash410_version.h"

namespace flash410 {

namespace {

constexpr char kHelpText[] = R"(Usage: Flash410 [--version | --help]
Uploads new firmware into the flash memory of a Varnel ZRM-410 satellite modem over its RS-232
remote-control port. Everything else happens in the window; its Help button explains each screen.

Files: installed, the program keeps the remembered port (commsUP.txt) and the port links (ports/comN)
in $XDG_CONFIG_HOME/flash410 (~/.config/flash410) and the capture log (Capture.txt) in
$XDG_STATE_HOME/flash410 (~/.local/state/flash410); run from a folder of its own, it keeps them beside
itself. The folder of the last chosen firmware file is remembered in ~/VNLflash.set.

  --version  print the program's name and version and end
  --help     show this text and end
)";

}  // namespace

std::optional<int> AnswerInformationOption(std::span<const std::string> arguments, std::ostream& out) {
    for (const std::string& argument : arguments) {
        if (argument == "--version") {
            out << VersionLine("Flash410") << '\n';
            return 0;
        }
        if (argument == "--help") {
            out << kHelpText;
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace flash410
