#include "cli/upload_help.h"

namespace flash410::cli {

namespace {

// The text is cut where a system's own words go in (SystemConventions); around them it is the same on
// every system.

// The column the options' descriptions begin in, after two blanks and the option.
constexpr std::size_t kDescriptionColumn = 20;

constexpr std::string_view kUsageAndFile =
    R"(Usage: flash410-cli upload [--port P]... [--baud 19200|38400] [--type bulk|mc]
                           [--capture FILE] [--timeout SECONDS] [--quiet] [--json] FILE

Uploads the firmware FILE into the flash of a ZRM-410 modem, as the window does: the upload request until
the modem answers READY, GO, the erase, the blocks the modem asks for, UPLOAD DONE and THANK YOU.

FILE      An Intel HEX (.hex, .h86, .mcs) or binary (.bin) file, made into the .BIN and .VXF files beside
          it first, or an upload image (.vxf). Nothing is sent when it cannot be made ready.

Options:
  --port P          The modem's port: )";

constexpr std::string_view kOptionsAfterPort = R"(. Default 1. Repeat it to upload to several modems at once.
  --baud RATE       19200 or 38400 (default).
  --type TYPE       bulk (default) asks for "UP BULK"; mc asks for "UP MC", main software and configuration.
  --capture FILE    Writes every byte on the line into FILE in the capture log's format. With several
                    ports, each gets its own file, named with its port: capture-COM2.txt. A folder
                    takes one file per port, )";

constexpr std::string_view kOptionsAfterCapture = R"(. A file
                    that another upload is writing to, or one of the firmware's files, is refused.
  --timeout SECONDS A modem that does not answer READY, or stays silent in any wait, for this long ends
                    its upload (default 100; the window waits 100 s for a reply and about 125 s for
                    READY). A block asked for again 10 times in a row also ends it.
  --quiet           Only the final line for each port.
  --json            One JSON object a line instead of the text, for scripts: "port_opened", "modem_ready",
                    "erase_done", "block" at each tenth of the blocks, "block_sent_again", and last for
                    each port "end": the upload's history record with "exit_status" and "message".
                    Every object has "event" and "port". Warnings go to the error output.
)";

constexpr std::string_view kExitStatus = R"(
Every upload that begins is added to the upload history (`flash410-cli history`); a record that cannot be
written is said and changes neither the upload nor the exit status.

Exit status (the highest over all ports):
  0    every upload complete
  1    a modem answered FAILED, or a connection was lost
  2    wrong arguments, or the file cannot be made ready (nothing was sent)
  3    a port cannot be opened
  4    a modem did not answer within the time-out
  130  stopped by )";

constexpr std::string_view kExample = R"(

Example:
  flash410-cli upload --port 5 --port 6 --capture capture.txt release.hex
)";

}  // namespace

std::string UploadHelp(const SystemConventions& system) {
    std::string help(kUsageAndFile);
    help += system.PortOptionHelp;
    help += kOptionsAfterPort;
    help += system.CaptureFileNames;
    help += kOptionsAfterCapture;
    const std::string helpOptions(HelpOptionNames(system));
    help += "  " + helpOptions + std::string(kDescriptionColumn - 2 - helpOptions.size(), ' ') +
            "Shows this text.\n\n";
    help += system.ProgressAndStopHelp;
    help += kExitStatus;
    help += system.StopRequests;
    help += kExample;
    return help;
}

}  // namespace flash410::cli
