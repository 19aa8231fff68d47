#include "program/command_line.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <functional>
#include <string_view>

#include "command_line/argument_parser.h"
#include "command_line/help_formatter.h"
#include "modem_sim/port_link.h"
#include "platform/plain_text.h"

namespace modemsim {
namespace {

constexpr int kMaxCount = 100000;
constexpr double kMaxSeconds = 86400;

std::optional<int> ParseInt(std::string_view text, int low, int high) {
    const std::optional<int> value = flash410::platform::WholeNumber(text);
    return value && *value >= low && *value <= high ? value : std::nullopt;
}

std::optional<std::chrono::milliseconds> ParseSeconds(std::string_view text) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds) || seconds < 0 ||
        seconds > kMaxSeconds) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(std::llround(seconds * 1000));
}

// POINT:SECONDS, POINT one of ready, erasing, erase-complete, block:N, thank-you.
std::optional<Silence> ParseSilence(std::string_view text) {
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto duration = ParseSeconds(text.substr(colon + 1));
    const std::string_view point = text.substr(0, colon);
    if (!duration) {
        return std::nullopt;
    }
    Silence silence;
    silence.duration = *duration;
    if (point == "ready") {
        silence.point = SilencePoint::kBeforeReady;
    } else if (point == "erasing") {
        silence.point = SilencePoint::kBeforeErasing;
    } else if (point == "erase-complete") {
        silence.point = SilencePoint::kBeforeEraseComplete;
    } else if (point == "thank-you") {
        silence.point = SilencePoint::kBeforeThankYou;
    } else if (point.starts_with("block:")) {
        const auto blocks = ParseInt(point.substr(6), 0, kMaxCount);
        if (!blocks) {
            return std::nullopt;
        }
        silence.point = SilencePoint::kBeforeBlockRequest;
        silence.afterBlocks = *blocks;
    } else {
        return std::nullopt;
    }
    return silence;
}

constexpr char kDescription[] =
    R"(The flash loader of a ZRM-410 satellite modem, simulated on a pseudo-terminal, so that Flash410 can upload
firmware without a modem on the desk. It answers the upload request with READY, erases on GO, asks for
each 1031-byte block (SEND BLOCK, or RESEND BLOCK for a bad or incomplete one), stores the good blocks in
a 4 MiB flash image and answers UPLOAD DONE with THANK YOU. After each upload it prints a one-line summary
and writes the flash image. It serves upload after upload and program after program until it is ended
(Ctrl+C or SIGTERM).)";

constexpr std::size_t kDescriptionColumn = 26;

// Applies an option's value to the options, or says what is wrong with it.
using ValueRule = std::function<std::string(ProgramOptions&, const std::string&)>;

ValueRule Count(std::function<void(ProgramOptions&, int)> set, int low, const char* name) {
    return [set = std::move(set), low, name](ProgramOptions& options, const std::string& value) {
        const auto number = ParseInt(value, low, kMaxCount);
        if (!number) {
            return std::string(name) + " must be a whole number from " + std::to_string(low) + " to " +
                   std::to_string(kMaxCount) + ", not \"" + value + "\"";
        }
        set(options, *number);
        return std::string();
    };
}

std::string ApplyBaud(ProgramOptions& options, const std::string& value) {
    if (value == "port") {
        options.config.pacing.followPort = true;
        return {};
    }
    const auto baud = ParseInt(value, 0, 4000000);
    if (!baud) {
        return "the baud rate must be \"port\" or a number from 0 to 4000000, not \"" + value + "\"";
    }
    options.config.pacing = LinePacing{*baud, false};
    return {};
}

std::string ApplyEraseSeconds(ProgramOptions& options, const std::string& value) {
    const auto duration = ParseSeconds(value);
    if (!duration) {
        return "--erase-seconds must be a number of seconds from 0 to 86400, not \"" + value + "\"";
    }
    options.config.eraseDuration = *duration;
    return {};
}

std::string ApplyLink(ProgramOptions& options, const std::vector<std::string>& values) {
    const auto port = ParseInt(values[1], kFirstPort, kLastPort);
    if (!port) {
        return "the port must be a number from 1 to 19, not \"" + values[1] + "\"";
    }
    options.linkFolder = values[0];
    options.linkPort = *port;
    return {};
}

std::string ApplySilence(ProgramOptions& options, const std::string& value) {
    const auto silence = ParseSilence(value);
    if (!silence) {
        return "--silence takes POINT:SECONDS with POINT one of ready, erasing, erase-complete, block:N, "
               "thank-you; not \"" +
               value + "\"";
    }
    options.config.faults.silences.push_back(*silence);
    return {};
}

// The program's command line: each option applied to the options as CLI11 reads it, the first mistake
// kept in error. The descriptions are the help text.
class CommandLine {
  public:
    CommandLine(ProgramOptions& options, std::string& error) : options_(options), error_(error) {
        app_.description(kDescription);
        DefineLine();
        DefineEnding();
        DefineFaults();
        DefineOther();
        flash410::command_line::UseHelpLayout(app_, kDescriptionColumn, "--help", "[OPTION]...");
    }

    CLI::App& app() { return app_; }

  private:
    CLI::Option* Value(const std::string& name, const std::string& valueName, ValueRule rule,
                       const std::string& description, const std::string& group) {
        return app_
            .add_option_function<std::string>(
                name,
                [this, rule = std::move(rule)](const std::string& value) { Keep(rule(options_, value)); },
                description)
            ->option_text(valueName)
            ->group(group);
    }

    CLI::Option* Flag(const std::string& name, std::function<void(ProgramOptions&)> set,
                      const std::string& description, const std::string& group) {
        return app_
            .add_flag_callback(
                name, [this, set = std::move(set)] { set(options_); }, description)
            ->group(group);
    }

    void Keep(std::string problem) {
        if (error_.empty()) {
            error_ = std::move(problem);
        }
    }

    void DefineLine() {
        const std::string group = "Line";
        app_.add_option_function<std::vector<std::string>>(
                "--link",
                [this](const std::vector<std::string>& values) { Keep(ApplyLink(options_, values)); },
                "make the modem COM port N (1-19) of the Flash410 program in FOLDER: the\n"
                "link ports/comN names the modem's device (removed again at the end), in\n"
                "FOLDER for a program in a folder of its own, in the user's\n"
                "~/.config/flash410 for an installed one (--link /usr/bin N); without\n"
                "it the device path is printed for you to use")
            ->expected(2)
            ->allow_extra_args(false)
            ->option_text("FOLDER N")
            ->group(group);
        Value("--baud", "RATE", ApplyBaud,
              "pace the line at RATE baud, 10 bits a byte both ways, as a real cable;\n"
              "\"port\" follows the rate the program sets; 0 (the default) does not pace",
              group);
        Value(
            "--byte-timeout-ms", "MS",
            Count([](ProgramOptions& o, int n) { o.config.blockByteTimeout = std::chrono::milliseconds(n); },
                  1, "--byte-timeout-ms"),
            "a block that stops for longer than MS is asked for again (default 1000)", group);
        Value("--erase-seconds", "S", ApplyEraseSeconds, "how long the erase takes (default 2)", group);
        Value(
            "--reply-delay", "MS",
            Count([](ProgramOptions& o, int n) { o.config.replyDelay = std::chrono::milliseconds(n); }, 0,
                  "--reply-delay"),
            "hold each reply back MS milliseconds, as a USB-serial adapter's latency timer does (default 0)",
            group);
    }

    void DefineEnding() {
        const std::string group = "Ending and output";
        Value("--uploads", "N",
              Count([](ProgramOptions& o, int n) { o.config.uploadLimit = n; }, 1, "--uploads"),
              "end after N uploads", group);
        Flag(
            "--end-on-close", [](ProgramOptions& o) { o.config.endOnHangUp = true; },
            "end when the program closes the port", group);
        CLI::Option* image = Value(
            "--image", "FILE",
            [](ProgramOptions& o, const std::string& value) {
                o.imagePath = value;
                return std::string();
            },
            "where the flash image goes after each upload (default modem-sim-flash.bin)", group);
        Flag(
            "--no-image", [](ProgramOptions& o) { o.imagePath.reset(); }, "do not write the flash image",
            group)
            ->excludes(image);
        Flag(
            "--verbose", [](ProgramOptions& o) { o.verbose = true; },
            "tell on standard error what the modem sees and does", group);
    }

    void DefineFaults() {
        const std::string group = "Faults (any may be combined)";
        Value("--ready-after", "K",
              Count([](ProgramOptions& o, int n) { o.config.faults.readyOnRequest = n; }, 1, "--ready-after"),
              "answer READY only to the K-th upload request", group);
        Flag(
            "--never-ready", [](ProgramOptions& o) { o.config.faults.neverReady = true; },
            "never answer READY", group);
        Value("--erase-errors", "N",
              Count([](ProgramOptions& o, int n) { o.config.faults.eraseErrors = n; }, 0, "--erase-errors"),
              "N times an ERASE ERROR line and a BAD BLOCK line before ERASE COMPLETE", group);
        Value("--corrupt-every", "N",
              Count([](ProgramOptions& o, int n) { o.config.faults.corruptEvery = n; }, 1, "--corrupt-every"),
              "damage every Nth block sent, as on the line (a resend request follows)", group);
        Flag(
            "--short-forms", [](ProgramOptions& o) { o.config.faults.shortForms = true; },
            "ask with S and R instead of SEND BLOCK and RESEND BLOCK", group);
        Value("--unknown-reply-after", "N",
              Count([](ProgramOptions& o, int n) { o.config.faults.unknownReplyAfter = n; }, 1,
                    "--unknown-reply-after"),
              "answer OK instead of the request that follows block N", group);
        Value("--fail-after", "N",
              Count([](ProgramOptions& o, int n) { o.config.faults.failAfter = n; }, 0, "--fail-after"),
              "answer FAILED instead of the request that follows block N (0: the first)", group);
        Value("--drop-request-after", "N",
              Count([](ProgramOptions& o, int n) { o.config.faults.dropRequestAfter = n; }, 0,
                    "--drop-request-after"),
              "lose the first block request once N blocks are stored", group);
        Value("--double-request-after", "N",
              Count([](ProgramOptions& o, int n) { o.config.faults.doubleRequestAfter = n; }, 0,
                    "--double-request-after"),
              "say the first block request once N blocks are stored twice", group);
        // The one option that may be given again: each silence is a fault of its own.
        app_.add_option_function<std::vector<std::string>>(
                "--silence",
                [this](const std::vector<std::string>& values) {
                    for (const std::string& value : values) {
                        Keep(ApplySilence(options_, value));
                    }
                },
                "keep silent for S seconds at POINT: ready, erasing, erase-complete,\n"
                "block:N (before the request that follows block N), thank-you; repeatable")
            ->allow_extra_args(false)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
            ->option_text("POINT:S")
            ->group(group);
        Value("--split-replies", "N",
              Count([](ProgramOptions& o, int n) { o.config.faults.splitReplies = n; }, 1, "--split-replies"),
              "write each reply in pieces of N bytes, with a short pause between them", group);
        Value("--noise", "N",
              Count([](ProgramOptions& o, int n) { o.config.faults.noiseBytes = n; }, 1, "--noise"),
              "send N bytes of line noise before each reply", group);
    }

    void DefineOther() {
        const std::string group = "Other";
        Value(
            "--make-sample", "FILE",
            [](ProgramOptions& o, const std::string& value) {
                o.sampleFile = value;
                return std::string();
            },
            "write a sample firmware file (Intel HEX, about 255 KiB of data) and end", group);
        app_.set_help_flag("--help", "show this text and end")->group(group);
        Flag(
            "--version", [](ProgramOptions& o) { o.version = true; },
            "print the program's name and version and end", group);
    }

    CLI::App app_{"", "modem-sim"};
    ProgramOptions& options_;
    std::string& error_;
};

std::string ProblemText(const flash410::command_line::ArgumentProblem& problem) {
    using flash410::command_line::ProblemKind;
    switch (problem.Kind) {
        case ProblemKind::kUnknownOption:
            return "unknown option \"" + problem.Subject + "\"";
        case ProblemKind::kMissingValue:
            return problem.Subject + " needs " + std::to_string(problem.ExpectedValues) +
                   (problem.ExpectedValues == 1 ? " value" : " values");
        case ProblemKind::kGivenTwice:
            return problem.Subject + " is given twice";
        case ProblemKind::kOther:
            break;
    }
    return problem.Subject;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine parsed;
    // The program's own defaults: an erase that takes a moment, as on the real modem.
    parsed.options.config.eraseDuration = std::chrono::seconds(2);
    CommandLine commandLine(parsed.options, parsed.error);
    const flash410::command_line::ParsedArguments outcome =
        flash410::command_line::ParseArguments(commandLine.app(), args);
    if (outcome.HelpRequested) {
        parsed.options.help = true;
        parsed.error.clear();
        return parsed;
    }
    if (outcome.Problem) {
        parsed.error = ProblemText(*outcome.Problem);
        return parsed;
    }
    if (parsed.error.empty()) {
        parsed.error = ValidateConfig(parsed.options.config);
    }
    return parsed;
}

std::string HelpText() {
    ProgramOptions options;
    std::string error;
    CommandLine commandLine(options, error);
    return commandLine.app().help();
}

}  // namespace modemsim
