#include "cli/upload_help.h"

#include <CLI/CLI.hpp>

#include "command_line/help_formatter.h"

namespace flash410::cli {

namespace {

// The texts are cut where a system's own words go in (SystemConventions); around them they are the same on
// every system. The descriptions begin in column 20; their lines are broken to fit.

constexpr std::string_view kDescription =
    R"(Uploads the firmware FILE into the flash of a ZRM-410 modem, as the window does: the upload request until
the modem answers READY, GO, the erase, the blocks the modem asks for, UPLOAD DONE and THANK YOU.)";

constexpr std::string_view kFile =
    R"(An Intel HEX (.hex, .h86, .mcs) or binary (.bin) file, made into the .BIN and .VXF
files beside it first, or an upload image (.vxf). Nothing is sent when it cannot be made
ready.)";

constexpr std::string_view kPortBeforeSystemWords = "The modem's port: ";
constexpr std::string_view kPortAfterSystemWords =
    ". Default 1. Repeat it to upload to several modems at once.";

constexpr std::string_view kBaud = "19200 or 38400 (default).";

constexpr std::string_view kType =
    R"(bulk (default) asks for "UP BULK"; mc asks for "UP MC", main software and configuration.)";

constexpr std::string_view kCaptureBeforeSystemWords =
    R"(Writes every byte on the line into FILE in the capture log's format. With several
ports, each gets its own file, named with its port: capture-COM2.txt. A folder
takes one file per port, )";
constexpr std::string_view kCaptureAfterSystemWords = R"(. A file
that another upload is writing to, or one of the firmware's files, is refused.)";

constexpr std::string_view kTimeout =
    R"(A modem that does not answer READY, or stays silent in any wait, for this long ends
its upload (default 100; the window waits 100 s for a reply and about 125 s for
READY). A block asked for again 10 times in a row also ends it.)";

constexpr std::string_view kExpectSha256 =
    R"(The SHA-256 of the upload image as the upload history records it (64 hexadecimal
digits): an image with any other is refused, and nothing is sent.)";

constexpr std::string_view kQuiet = "Only the final line for each port.";

constexpr std::string_view kJson =
    R"(One JSON object a line instead of the text, for scripts: "port_opened",
"modem_ready", "erase_done", "block" at each tenth of the blocks, "block_sent_again",
and last for each port "end": the upload's history record with "exit_status" and
"message". Every object has "event" and "port". Warnings go to the error output.)";

constexpr std::string_view kHelp = "Shows this text.";

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

std::string Joined(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (const std::string_view part : parts) {
        text += part;
    }
    return text;
}

}  // namespace

void DefineUploadCommandLine(CLI::App& app, UploadArguments& arguments, const SystemConventions& system) {
    app.description(std::string(kDescription));
    app.add_option("FILE", arguments.Files, std::string(kFile));
    // --port may be repeated, one port each time; every other option is given once.
    app.add_option("--port", arguments.Ports,
                   Joined({kPortBeforeSystemWords, system.PortOptionHelp, kPortAfterSystemWords}))
        ->option_text("P")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--baud", arguments.Baud, std::string(kBaud))->option_text("RATE");
    app.add_option("--type", arguments.Type, std::string(kType))->option_text("TYPE");
    app.add_option("--capture", arguments.Capture,
                   Joined({kCaptureBeforeSystemWords, system.CaptureFileNames, kCaptureAfterSystemWords}))
        ->option_text("FILE");
    app.add_option("--timeout", arguments.Timeout, std::string(kTimeout))->option_text("SECONDS");
    app.add_option("--expect-sha256", arguments.ExpectSha256, std::string(kExpectSha256))->option_text("HEX");
    app.add_flag("-q,--quiet", arguments.Quiet, std::string(kQuiet));
    app.add_flag("--json", arguments.Json, std::string(kJson));
    app.set_help_flag("-h,--help", std::string(kHelp));
    app.footer(Joined({system.ProgressAndStopHelp, kExitStatus, system.StopRequests, kExample}));
    command_line::UseHelpLayout(app, 20, std::string(HelpOptionNames(system)));
}

std::string UploadHelp(const SystemConventions& system) {
    CLI::App app("", "flash410-cli upload");
    UploadArguments unused;
    DefineUploadCommandLine(app, unused, system);
    return app.help();
}

}  // namespace flash410::cli
