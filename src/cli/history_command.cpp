#include "cli/history_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <optional>
#include <variant>

#include "cli/progress_report.h"
#include "cli/upload_options.h"
#include "command_line/help_formatter.h"
#include "history/upload_history.h"
#include "platform/plain_text.h"

namespace flash410::cli {

namespace {

constexpr char kDescription[] =
    R"(Shows the uploads recorded in the upload history, oldest first: every upload that began, from the window
or from flash410-cli, with when it started, the port and device, the file, the blocks sent of the image's,
how it ended and how long it took.)";

// The options as the command line holds them, each value as it was written.
struct HistoryArguments {
    std::optional<std::string> Last;
    std::optional<std::string> Port;
    bool Json = false;
};

void DefineHistoryCommandLine(CLI::App& app, HistoryArguments& arguments, const SystemConventions& system,
                              const std::string& historyFile) {
    app.description(kDescription);
    app.add_option("--last", arguments.Last, "Only the last N uploads.")->option_text("N");
    app.add_option("--port", arguments.Port,
                   "Only the uploads through port P: a COM number (5 or COM5) or a device path.")
        ->option_text("P");
    app.add_flag("--json", arguments.Json,
                 "One JSON object a line (JSON Lines), each a record as the history file holds it.");
    app.set_help_flag("-h,--help", "Shows this text.");
    app.footer("The history file is " + historyFile + ".");
    command_line::UseHelpLayout(app, 20, std::string(HelpOptionNames(system)));
}

struct HistoryOptions {
    std::optional<int> Last;
    std::optional<std::string> Port;
    bool Json = false;
};

// The checked options, or what is wrong with them.
std::variant<HistoryOptions, std::string> CheckedOptions(const HistoryArguments& arguments) {
    HistoryOptions options{std::nullopt, arguments.Port, arguments.Json};
    if (arguments.Last) {
        const std::optional<int> last = platform::WholeNumber(*arguments.Last);
        if (!last || *last < 1) {
            return "--last takes a number of uploads, 1 or more, not \"" + *arguments.Last + "\"";
        }
        options.Last = last;
    }
    return options;
}

// "2026-12-08T20:02:03.120+01:00" as "2026-12-08 20:02:03 +01:00"; anything else as it is.
std::string ShownTime(const std::string& stamp) {
    if (stamp.size() != 29 || stamp[10] != 'T') {
        return stamp;
    }
    return stamp.substr(0, 10) + ' ' + stamp.substr(11, 8) + ' ' + stamp.substr(23);
}

std::string Duration(double seconds) {
    return ClockText(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(std::max(seconds, 0.0))));
}

bool ThroughPort(const history::UploadRecord& record, const std::string& port) {
    if (record.Device == port || record.Port == port) {
        return true;
    }
    const std::optional<PortTarget> target = ParsePortTarget(port);
    return target && record.Port == target->Name();
}

}  // namespace

std::string HistoryTable(const std::vector<history::UploadRecord>& records) {
    std::vector<std::vector<std::string>> rows{
        {"Started (local)", "Port", "Device", "File", "Blocks", "Outcome", "Duration"}};
    for (const history::UploadRecord& record : records) {
        rows.push_back({ShownTime(record.StartedLocal), record.Port,
                        record.Device + (record.AdapterSerial ? " (" + *record.AdapterSerial + ")" : ""),
                        record.FileName,
                        std::to_string(record.EndedAtBlock) + "/" + std::to_string(record.BlockCount),
                        record.Outcome, Duration(record.DurationSeconds)});
    }
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            widths[column] = std::max(widths[column], row[column].size());
        }
    }
    std::string table;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t column = 0; column < row.size(); ++column) {
            line += row[column];
            if (column + 1 < row.size()) {
                line += std::string(widths[column] - row[column].size() + 2, ' ');
            }
        }
        table += line + '\n';
    }
    return table;
}

int RunHistory(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
               const std::string& historyFile) {
    const SystemConventions& system = ThisSystem();
    CLI::App app("", "flash410-cli history");
    HistoryArguments given;
    DefineHistoryCommandLine(app, given, system, historyFile);
    if (const std::optional<int> status = ReadCommandArguments(app, "history", arguments, out, err, system)) {
        return *status;
    }
    std::variant<HistoryOptions, std::string> checked = CheckedOptions(given);
    if (const auto* problem = std::get_if<std::string>(&checked)) {
        return RefuseArguments(err, "history", *problem);
    }
    const HistoryOptions& options = std::get<HistoryOptions>(checked);

    history::HistoryContents contents;
    try {
        contents = history::ReadHistory(historyFile);
    } catch (const std::exception& error) {
        err << error.what() << '\n';
        return kExitFailure;
    }
    for (const std::string& warning : contents.Warnings) {
        err << warning << '\n';
    }
    std::vector<history::UploadRecord> records;
    for (history::UploadRecord& record : contents.Records) {
        if (!options.Port || ThroughPort(record, *options.Port)) {
            records.push_back(std::move(record));
        }
    }
    if (options.Last && records.size() > static_cast<std::size_t>(*options.Last)) {
        records.erase(records.begin(), records.end() - *options.Last);
    }
    if (records.empty()) {
        // Said where a script reading the JSON does not take it for a record.
        std::ostream& said = options.Json ? err : out;
        if (options.Port && !contents.Records.empty()) {
            said << "No uploads through " << *options.Port << " in the history " << historyFile << ".\n";
        } else {
            said << "No uploads recorded yet" << (contents.Exists ? " in " : ": there is no ") << historyFile
                 << ".\n";
        }
        return kExitSuccess;
    }
    if (options.Json) {
        for (const history::UploadRecord& record : records) {
            out << history::RecordToJson(record).dump(-1, ' ', false,
                                                      nlohmann::json::error_handler_t::replace)
                << '\n';
        }
    } else {
        out << HistoryTable(records);
    }
    return kExitSuccess;
}

CliCommand HistoryCommand(std::string historyFile) {
    return CliCommand{"history", "[--last N] [--port P] [--json]",
                      "Shows the uploads recorded so far; `history --help` tells more.",
                      [historyFile = std::move(historyFile)](std::span<const std::string> arguments,
                                                             std::ostream& out, std::ostream& err) {
                          return RunHistory(arguments, out, err, historyFile);
                      }};
}

}  // namespace flash410::cli
