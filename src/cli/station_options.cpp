#include "cli/station_options.h"

#include <limits>

#include <CLI/CLI.hpp>

#include "cli/cli_commands.h"
#include "command_line/help_formatter.h"

namespace flash410::cli {

namespace {

constexpr std::string_view kDescription =
    R"(Flashes every modem connected to the ports it watches with one firmware, unattended, until it is
stopped: a repair depot's bench with a hub of USB-serial adapters. As soon as a watched port is there
(an adapter plugged in), it asks for the upload as `upload` does, again and again until the modem is
powered into its loader, uploads, and says the result. A modem that has been flashed is not flashed again:
its port waits until the adapter is pulled or, on a port without adapter identity, until the modem has
been silent for 3 s, before it asks for the next.)";

constexpr std::string_view kFile =
    R"(An Intel HEX (.hex, .h86, .mcs) or binary (.bin) file, made into the .BIN and .VXF
files beside it first, or an upload image (.vxf); made ready once, before any port is
watched.)";

constexpr std::string_view kPorts =
    R"(What to watch: usb:any (default) for every USB serial adapter present now or
later, usb:VVVV:PPPP for every adapter of that vendor and product, usb:SERIAL for
one adapter, or a port by its number or device path. Repeat it, or give several
separated by commas.)";

constexpr std::string_view kBaud = "19200 or 38400 (default).";

constexpr std::string_view kType =
    R"(bulk (default) asks for "UP BULK"; mc asks for "UP MC", main software and configuration.)";

constexpr std::string_view kTimeout =
    R"(A modem that stays silent in any wait after READY for this long ends its upload
(default 100). READY is awaited without end.)";

constexpr std::string_view kExpectSha256 =
    R"(The SHA-256 of the upload image as the upload history records it (64 hexadecimal
digits): with any other the station does not start, and nothing is sent.)";

constexpr std::string_view kJson =
    R"(One JSON object a line instead of the table: the events of `upload --json`, each
upload's "end" with its history record, and last "station" with the counts.)";

constexpr std::string_view kHelp = "Shows this text.";

constexpr std::string_view kFooter = R"(
On a terminal, a table has a row for each port (its adapter, the modem's state, the block, the last result
and the upload's time) and the counts of complete, failed and lost uploads below it; otherwise a line is
written for each thing that happens. Every upload is added to the upload history with its adapter's
serial number, and to the system's log. )";

constexpr std::string_view kStop = R"( stops every upload at once and prints the totals.

Exit status:
  0    every upload complete (or none was made)
  1    an upload failed or was lost
  2    wrong arguments, the file cannot be made ready, or its SHA-256 is not the one expected
  130  an upload was under way when the station was stopped

Example:
  flash410-cli station --ports usb:0403:6001 --expect-sha256 3a7bd3e2...c1 release.hex
)";

void DefineStationCommandLine(CLI::App& app, UploadArguments& arguments, const SystemConventions& system) {
    app.description(std::string(kDescription));
    app.add_option("FILE", arguments.Files, std::string(kFile));
    app.add_option("--ports", arguments.Ports, std::string(kPorts))
        ->option_text("P")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--baud", arguments.Baud, std::string(kBaud))->option_text("RATE");
    app.add_option("--type", arguments.Type, std::string(kType))->option_text("TYPE");
    app.add_option("--timeout", arguments.Timeout, std::string(kTimeout))->option_text("SECONDS");
    app.add_option("--expect-sha256", arguments.ExpectSha256, std::string(kExpectSha256))->option_text("HEX");
    app.add_flag("--json", arguments.Json, std::string(kJson));
    app.set_help_flag("-h,--help", std::string(kHelp));
    app.footer(std::string(kFooter) + std::string(system.StopRequests) + std::string(kStop));
    command_line::UseHelpLayout(app, 20, std::string(HelpOptionNames(system)));
}

// "a,b" given to --ports is two ports.
std::vector<std::string> SplitAtCommas(const std::vector<std::string>& values) {
    std::vector<std::string> parts;
    for (const std::string& value : values) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = value.find(',', start);
            parts.push_back(value.substr(start, comma - start));
            if (comma == std::string::npos) {
                break;
            }
            start = comma + 1;
        }
    }
    return parts;
}

}  // namespace

ParsedStation ParseStationOptions(std::span<const std::string> arguments, const SystemConventions& system) {
    auto read = ReadUploadArguments("station", DefineStationCommandLine, arguments, system);
    if (std::holds_alternative<HelpRequested>(read)) {
        return HelpRequested{};
    }
    if (auto* problem = std::get_if<std::string>(&read)) {
        return std::move(*problem);
    }
    UploadArguments& given = std::get<UploadArguments>(read);
    given.Ports = SplitAtCommas(given.Ports);
    std::variant<UploadOptions, std::string> checked = CheckUploadArguments(given, system, "--ports");
    if (auto* problem = std::get_if<std::string>(&checked)) {
        return std::move(*problem);
    }
    const UploadOptions& upload = std::get<UploadOptions>(checked);
    StationOptions options;
    for (const PortTarget& port : upload.Ports) {
        if (port.Usb) {
            options.Adapters.push_back(*port.Usb);
        } else {
            options.Named.push_back(port);
        }
    }
    if (upload.Ports.empty()) {
        options.Adapters.push_back(UsbSelector{});
    }
    options.Baud = upload.Baud;
    options.Request = upload.Request;
    options.TimeoutSeconds = upload.TimeoutSeconds;
    options.ExpectedImageSha256 = upload.ExpectedImageSha256;
    options.Json = upload.Json;
    options.File = upload.File;
    return options;
}

std::string StationHelp(const SystemConventions& system) {
    CLI::App app("", "flash410-cli station");
    UploadArguments unused;
    DefineStationCommandLine(app, unused, system);
    return app.help();
}

upload::UploadLimits StationLimits(std::int32_t timeoutSeconds) {
    upload::UploadLimits limits = LimitsForTimeout(timeoutSeconds);
    limits.HandshakeTries = std::numeric_limits<std::int32_t>::max();
    return limits;
}

}  // namespace flash410::cli
