#include "program/command_line.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <string_view>

#include "modem_sim/port_link.h"

namespace modemsim {
namespace {

constexpr int kMaxCount = 100000;
constexpr double kMaxSeconds = 86400;

std::optional<int> ParseInt(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
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

// Each option's handler takes its values and returns an error text, empty when they are good.
struct OptionRule {
    int values;
    std::function<std::string(ProgramOptions&, const std::vector<std::string>&)> apply;
};

std::function<std::string(ProgramOptions&, const std::vector<std::string>&)> Count(
    std::function<void(ProgramOptions&, int)> set, int low, const char* what) {
    return
        [set = std::move(set), low, what](ProgramOptions& options, const std::vector<std::string>& values) {
            const auto value = ParseInt(values[0], low, kMaxCount);
            if (!value) {
                return std::string(what) + " must be a whole number from " + std::to_string(low) + " to " +
                       std::to_string(kMaxCount) + ", not \"" + values[0] + "\"";
            }
            set(options, *value);
            return std::string();
        };
}

std::function<std::string(ProgramOptions&, const std::vector<std::string>&)> Flag(
    std::function<void(ProgramOptions&)> set) {
    return [set = std::move(set)](ProgramOptions& options, const std::vector<std::string>&) {
        set(options);
        return std::string();
    };
}

const std::map<std::string, OptionRule, std::less<>>& Options() {
    static const std::map<std::string, OptionRule, std::less<>> options{
        {"--help", {0, Flag([](ProgramOptions& o) { o.help = true; })}},
        {"--version", {0, Flag([](ProgramOptions& o) { o.version = true; })}},
        {"--verbose", {0, Flag([](ProgramOptions& o) { o.verbose = true; })}},
        {"--link",
         {2,
          [](ProgramOptions& o, const std::vector<std::string>& v) {
              const auto port = ParseInt(v[1], kFirstPort, kLastPort);
              if (!port) {
                  return "the port must be a number from 1 to 19, not \"" + v[1] + "\"";
              }
              o.linkFolder = v[0];
              o.linkPort = *port;
              return std::string();
          }}},
        {"--baud",
         {1,
          [](ProgramOptions& o, const std::vector<std::string>& v) {
              if (v[0] == "port") {
                  o.config.pacing.followPort = true;
                  return std::string();
              }
              const auto baud = ParseInt(v[0], 0, 4000000);
              if (!baud) {
                  return "the baud rate must be \"port\" or a number from 0 to 4000000, not \"" + v[0] + "\"";
              }
              o.config.pacing = LinePacing{*baud, false};
              return std::string();
          }}},
        {"--uploads", {1, Count([](ProgramOptions& o, int n) { o.config.uploadLimit = n; }, 1, "--uploads")}},
        {"--end-on-close", {0, Flag([](ProgramOptions& o) { o.config.endOnHangUp = true; })}},
        {"--image",
         {1,
          [](ProgramOptions& o, const std::vector<std::string>& v) {
              o.imagePath = v[0];
              return std::string();
          }}},
        {"--no-image", {0, Flag([](ProgramOptions& o) { o.imagePath.reset(); })}},
        {"--erase-seconds",
         {1,
          [](ProgramOptions& o, const std::vector<std::string>& v) {
              const auto duration = ParseSeconds(v[0]);
              if (!duration) {
                  return "--erase-seconds must be a number of seconds from 0 to 86400, not \"" + v[0] + "\"";
              }
              o.config.eraseDuration = *duration;
              return std::string();
          }}},
        {"--byte-timeout-ms",
         {1, Count([](ProgramOptions& o, int n) { o.config.blockByteTimeout = std::chrono::milliseconds(n); },
                   1, "--byte-timeout-ms")}},
        {"--reply-delay",
         {1, Count([](ProgramOptions& o, int n) { o.config.replyDelay = std::chrono::milliseconds(n); }, 0,
                   "--reply-delay")}},
        {"--ready-after",
         {1,
          Count([](ProgramOptions& o, int n) { o.config.faults.readyOnRequest = n; }, 1, "--ready-after")}},
        {"--never-ready", {0, Flag([](ProgramOptions& o) { o.config.faults.neverReady = true; })}},
        {"--erase-errors",
         {1, Count([](ProgramOptions& o, int n) { o.config.faults.eraseErrors = n; }, 0, "--erase-errors")}},
        {"--corrupt-every",
         {1,
          Count([](ProgramOptions& o, int n) { o.config.faults.corruptEvery = n; }, 1, "--corrupt-every")}},
        {"--short-forms", {0, Flag([](ProgramOptions& o) { o.config.faults.shortForms = true; })}},
        {"--unknown-reply-after",
         {1, Count([](ProgramOptions& o, int n) { o.config.faults.unknownReplyAfter = n; }, 1,
                   "--unknown-reply-after")}},
        {"--fail-after",
         {1, Count([](ProgramOptions& o, int n) { o.config.faults.failAfter = n; }, 0, "--fail-after")}},
        {"--silence",
         {1,
          [](ProgramOptions& o, const std::vector<std::string>& v) {
              const auto silence = ParseSilence(v[0]);
              if (!silence) {
                  return "--silence takes POINT:SECONDS with POINT one of ready, erasing, erase-complete, "
                         "block:N, thank-you; not \"" +
                         v[0] + "\"";
              }
              o.config.faults.silences.push_back(*silence);
              return std::string();
          }}},
        {"--split-replies",
         {1,
          Count([](ProgramOptions& o, int n) { o.config.faults.splitReplies = n; }, 1, "--split-replies")}},
        {"--noise",
         {1, Count([](ProgramOptions& o, int n) { o.config.faults.noiseBytes = n; }, 1, "--noise")}},
        {"--make-sample",
         {1,
          [](ProgramOptions& o, const std::vector<std::string>& v) {
              o.sampleFile = v[0];
              return std::string();
          }}},
    };
    return options;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine parsed;
    // The program's own defaults: an erase that takes a moment, as on the real modem.
    parsed.options.config.eraseDuration = std::chrono::seconds(2);
    for (std::size_t i = 0; i < args.size();) {
        const auto found = Options().find(args[i]);
        if (found == Options().end()) {
            parsed.error = "unknown option \"" + args[i] + "\"";
            return parsed;
        }
        const OptionRule& rule = found->second;
        if (i + static_cast<std::size_t>(rule.values) >= args.size() && rule.values > 0) {
            parsed.error =
                args[i] + " needs " + std::to_string(rule.values) + (rule.values == 1 ? " value" : " values");
            return parsed;
        }
        const std::vector<std::string> values(
            args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
            args.begin() + static_cast<std::ptrdiff_t>(i) + 1 + rule.values);
        parsed.error = rule.apply(parsed.options, values);
        if (!parsed.error.empty()) {
            return parsed;
        }
        i += 1 + static_cast<std::size_t>(rule.values);
    }
    parsed.error = ValidateConfig(parsed.options.config);
    return parsed;
}

std::string HelpText() {
    return R"(Usage: modem-sim [OPTION]...
The flash loader of a ZRM-410 satellite modem, simulated on a pseudo-terminal, so that Flash410 can upload
firmware without a modem on the desk. It answers the upload request with READY, erases on GO, asks for
each 1031-byte block (SEND BLOCK, or RESEND BLOCK for a bad or incomplete one), stores the good blocks in
a 4 MiB flash image and answers UPLOAD DONE with THANK YOU. After each upload it prints a one-line summary
and writes the flash image. It serves upload after upload and program after program until it is ended
(Ctrl+C or SIGTERM).

Line:
  --link FOLDER N         make the modem COM port N (1-19) of the Flash410 program in FOLDER: the
                          link ports/comN names the modem's device (removed again at the end), in
                          FOLDER for a program in a folder of its own, in the user's
                          ~/.config/flash410 for an installed one (--link /usr/bin N); without
                          it the device path is printed for you to use
  --baud RATE             pace the line at RATE baud, 10 bits a byte both ways, as a real cable;
                          "port" follows the rate the program sets; 0 (the default) does not pace
  --byte-timeout-ms MS    a block that stops for longer than MS is asked for again (default 1000)
  --erase-seconds S       how long the erase takes (default 2)
  --reply-delay MS        hold each reply back MS milliseconds, as a USB-serial adapter's latency
                          timer does (default 0)

Ending and output:
  --uploads N             end after N uploads
  --end-on-close          end when the program closes the port
  --image FILE            where the flash image goes after each upload (default modem-sim-flash.bin)
  --no-image              do not write the flash image
  --verbose               tell on standard error what the modem sees and does

Faults (any may be combined):
  --ready-after K         answer READY only to the K-th upload request
  --never-ready           never answer READY
  --erase-errors N        N times an ERASE ERROR line and a BAD BLOCK line before ERASE COMPLETE
  --corrupt-every N       damage every Nth block sent, as on the line (a resend request follows)
  --short-forms           ask with S and R instead of SEND BLOCK and RESEND BLOCK
  --unknown-reply-after N answer OK instead of the request that follows block N
  --fail-after N          answer FAILED instead of the request that follows block N (0: the first)
  --silence POINT:S       keep silent for S seconds at POINT: ready, erasing, erase-complete,
                          block:N (before the request that follows block N), thank-you; repeatable
  --split-replies N       write each reply in pieces of N bytes, with a short pause between them
  --noise N               send N bytes of line noise before each reply

Other:
  --make-sample FILE      write a sample firmware file (Intel HEX, about 255 KiB of data) and end
  --help                  show this text and end
  --version               print the program's name and version and end
)";
}

}  // namespace modemsim
