#include "cli/upload_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

#include <CLI/CLI.hpp>

#include "cli/cli_commands.h"
#include "cli/upload_help.h"
#include "command_line/argument_parser.h"
#include "platform/plain_text.h"
#include "platform/utf8_path.h"

namespace flash410::cli {

namespace {

constexpr std::int32_t kLongestTimeoutSeconds = 24 * 3600;
// The engine ticks every 500 ms while it asks for READY and every 50 ms after.
constexpr std::int32_t kHandshakeTicksPerSecond = 2;
constexpr std::int32_t kReplyTicksPerSecond = 20;
constexpr std::int32_t kRepeatedRequestLimit = 10;

bool LooksLikeDevicePath(const std::string& text) {
    return text.find('/') != std::string::npos || text.find('\\') != std::string::npos;
}

// The COM number of "5", "COM5" or (where the system names its ports so) "\\.\COM5", in any case.
std::optional<int> ComNumber(std::string_view text, const SystemConventions& system) {
    if (system.ComDeviceNames && platform::StartsWithIgnoringAsciiCase(text, "\\\\.\\")) {
        text.remove_prefix(4);
        if (!platform::StartsWithIgnoringAsciiCase(text, "COM")) {
            return std::nullopt;
        }
    }
    if (text.size() > 3 && platform::StartsWithIgnoringAsciiCase(text, "COM")) {
        text.remove_prefix(3);
    }
    const std::optional<int> number = platform::WholeNumber(text);
    if (!number || *number < 1 || *number > system.HighestPort) {
        return std::nullopt;
    }
    return number;
}

}  // namespace

std::string PortTarget::Name() const {
    if (Usb) {
        const std::string adapter = Adapter && !Adapter->SerialNumber.empty()
                                        ? std::string(kUsbPrefix) + Adapter->SerialNumber
                                        : Usb->Text();
        return DevicePath.empty() ? adapter : adapter + " (" + DevicePath + ")";
    }
    return DevicePath.empty() ? "COM" + std::to_string(Number) : DevicePath;
}

std::string PortTarget::FileTag() const {
    // The whole device path, not its last name alone: a/modem and b/modem are two devices.
    std::string tag = DevicePath.empty() ? "COM" + std::to_string(Number) : DevicePath;
    if (Usb) {
        // Serial numbers are the adapter maker's text: only what every system takes in a file name stays.
        tag = "usb-" + (Adapter && !Adapter->SerialNumber.empty() ? Adapter->SerialNumber
                                                                  : Usb->Text().substr(kUsbPrefix.size()));
        std::replace_if(
            tag.begin(), tag.end(),
            [](unsigned char c) { return std::isalnum(c) == 0 && c != '-' && c != '_' && c != '.'; }, '-');
    }
    std::replace_if(
        tag.begin(), tag.end(), [](char c) { return c == '/' || c == '\\' || c == ':'; }, '-');
    tag.erase(0, tag.find_first_not_of("-."));
    return tag;
}

std::optional<PortTarget> ParsePortTarget(const std::string& text, const SystemConventions& system) {
    if (const std::optional<int> number = ComNumber(text, system)) {
        return PortTarget{*number, {}};
    }
    if (platform::StartsWithIgnoringAsciiCase(text, kUsbPrefix)) {
        if (std::optional<UsbSelector> selector = ParseUsbSelector(text)) {
            return PortTarget{0, {}, std::move(*selector)};
        }
        return std::nullopt;
    }
    // Any other device name is opened as it is given: a port beyond the numbers too ("\\.\COM300").
    if (LooksLikeDevicePath(text)) {
        return PortTarget{0, text};
    }
    return std::nullopt;
}

namespace {

// A SHA-256 as 64 lower-case hexadecimal digits, the way the history writes it; nothing for any other text.
std::optional<std::string> Sha256Digits(const std::string& text) {
    constexpr std::size_t kSha256Digits = 64;
    if (text.size() != kSha256Digits || !std::all_of(text.begin(), text.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
        })) {
        return std::nullopt;
    }
    return platform::AsciiLowerCase(text);
}

}  // namespace

std::variant<UploadOptions, std::string> CheckUploadArguments(const UploadArguments& arguments,
                                                              const SystemConventions& system,
                                                              std::string_view portOption) {
    const std::string option(portOption);
    UploadOptions options;
    for (const std::string& value : arguments.Ports) {
        const std::optional<PortTarget> port = ParsePortTarget(value, system);
        if (!port && platform::StartsWithIgnoringAsciiCase(value, kUsbPrefix)) {
            return option +
                   " takes a USB adapter as usb:any, usb:SERIAL, usb:VVVV:PPPP or usb:VVVV:PPPP:SERIAL "
                   "(VVVV and PPPP four hex digits), not \"" +
                   value + "\"";
        }
        if (!port) {
            const std::string highest = std::to_string(system.HighestPort);
            return option + " takes a port number 1-" + highest + ", COM1 to COM" + highest +
                   " or a device path, not \"" + value + "\"";
        }
        if (std::find(options.Ports.begin(), options.Ports.end(), *port) != options.Ports.end()) {
            // "--port 5 --port \\.\COM5" gives COM5 twice under two names: the message says which port.
            const std::string named = value == port->Name() ? value : value + " (" + port->Name() + ")";
            return option + " " + named + " is given twice: each modem needs a port of its own";
        }
        options.Ports.push_back(*port);
    }
    if (const std::optional<std::string>& baud = arguments.Baud) {
        if (*baud != "19200" && *baud != "38400") {
            return "--baud takes 19200 or 38400, not \"" + *baud + "\"";
        }
        options.Baud = *platform::WholeNumber(*baud);
    }
    if (const std::optional<std::string>& type = arguments.Type) {
        if (*type == "bulk") {
            options.Request = upload::UploadRequest::kBulk;
        } else if (*type == "mc") {
            options.Request = upload::UploadRequest::kMainAndConfiguration;
        } else {
            return "--type takes bulk or mc, not \"" + *type + "\"";
        }
    }
    if (arguments.Capture) {
        if (arguments.Capture->empty()) {
            return std::string("--capture needs a file name");
        }
        options.CapturePath = arguments.Capture;
    }
    if (const std::optional<std::string>& timeout = arguments.Timeout) {
        const std::optional<int> seconds = platform::WholeNumber(*timeout);
        if (!seconds || *seconds < 1 || *seconds > kLongestTimeoutSeconds) {
            return "--timeout takes a number of seconds from 1 to " + std::to_string(kLongestTimeoutSeconds) +
                   ", not \"" + *timeout + "\"";
        }
        options.TimeoutSeconds = *seconds;
    }
    if (const std::optional<std::string>& digest = arguments.ExpectSha256) {
        std::optional<std::string> digits = Sha256Digits(*digest);
        if (!digits) {
            return "--expect-sha256 takes the 64 hexadecimal digits of a SHA-256, not \"" + *digest + "\"";
        }
        options.ExpectedImageSha256 = std::move(digits);
    }
    options.Quiet = arguments.Quiet;
    options.Json = arguments.Json;
    if (arguments.Files.empty()) {
        return std::string("Name the firmware file to upload");
    }
    if (arguments.Files.size() > 1) {
        return "Only one firmware file can be uploaded at a time (" + arguments.Files[0] + ", " +
               arguments.Files[1] + ")";
    }
    options.File = arguments.Files.front();
    return options;
}

std::variant<UploadArguments, HelpRequested, std::string> ReadUploadArguments(
    std::string_view command, DefineCommandLine define, std::span<const std::string> arguments,
    const SystemConventions& system) {
    CLI::App app("", "flash410-cli " + std::string(command));
    UploadArguments given;
    define(app, given, system);
    const command_line::ParsedArguments parsed =
        command_line::ParseArguments(app, arguments, {.SlashQuestionMarkHelp = system.SlashQuestionMarkHelp});
    if (parsed.HelpRequested) {
        return HelpRequested{};
    }
    if (parsed.Problem) {
        return ArgumentProblemText(*parsed.Problem);
    }
    return given;
}

ParsedUpload ParseUploadOptions(std::span<const std::string> arguments, const SystemConventions& system) {
    auto read = ReadUploadArguments("upload", DefineUploadCommandLine, arguments, system);
    if (std::holds_alternative<HelpRequested>(read)) {
        return HelpRequested{};
    }
    if (auto* problem = std::get_if<std::string>(&read)) {
        return std::move(*problem);
    }
    std::variant<UploadOptions, std::string> checked =
        CheckUploadArguments(std::get<UploadArguments>(read), system);
    if (auto* problem = std::get_if<std::string>(&checked)) {
        return std::move(*problem);
    }
    UploadOptions& options = std::get<UploadOptions>(checked);
    if (options.Ports.empty()) {
        options.Ports.push_back(PortTarget{1, {}});
    }
    return std::move(options);
}

upload::UploadLimits LimitsForTimeout(std::int32_t timeoutSeconds) {
    upload::UploadLimits limits;
    limits.HandshakeTries = timeoutSeconds * kHandshakeTicksPerSecond;
    limits.ReplyWaitTicks = timeoutSeconds * kReplyTicksPerSecond;
    limits.ResendOnSilence = false;
    limits.RepeatedRequestLimit = kRepeatedRequestLimit;
    return limits;
}

std::optional<UsbSelectionRefusal> ResolveUsbPorts(std::vector<PortTarget>& ports,
                                                   std::span<const serial::PortDescription> present) {
    for (PortTarget& port : ports) {
        if (!port.Usb) {
            continue;
        }
        auto selected = SelectUsbPort(*port.Usb, present);
        if (auto* refusal = std::get_if<UsbSelectionRefusal>(&selected)) {
            return std::move(*refusal);
        }
        const serial::PortDescription& found = std::get<serial::PortDescription>(selected);
        port.DevicePath = found.Device;
        port.Adapter = found.Usb;
    }
    // Two names for one adapter ("usb:A50285BI" and "usb:0403:6001", or its COM number) would send two
    // uploads to one modem.
    for (std::size_t i = 0; i < ports.size(); ++i) {
        for (std::size_t j = 0; j < ports.size(); ++j) {
            if (i == j || !ports[i].Usb) {
                continue;
            }
            const PortTarget& other = ports[j];
            const bool sameDevice = !other.DevicePath.empty() && other.DevicePath == ports[i].DevicePath;
            const std::optional<serial::PortDescription> numbered =
                other.Number == 0 ? std::nullopt : serial::FindPortOfNumber(present, other.Number);
            if (sameDevice || (numbered && numbered->Device == ports[i].DevicePath)) {
                return UsbSelectionRefusal{"--port " + ports[i].Usb->Text() + " and --port " +
                                               (other.Usb ? other.Usb->Text() : other.Name()) +
                                               " are one port (" + ports[i].DevicePath +
                                               "): each modem needs a port of its own",
                                           {}};
            }
        }
    }
    return std::nullopt;
}

std::string CapturePathForPort(const std::string& givenPath, const PortTarget& port, bool severalPorts) {
    namespace fs = std::filesystem;
    const fs::path path = platform::PathFromUtf8(givenPath);
    std::error_code error;
    const bool folder = !path.has_filename() || fs::is_directory(path, error);
    if (!folder && !severalPorts) {
        return givenPath;
    }
    const std::string tag = port.FileTag();
    if (folder) {
        return (path / platform::PathFromUtf8("capture-" + tag + ".txt")).string();
    }
    fs::path named = path;
    named.replace_filename(
        platform::PathFromUtf8(path.stem().string() + "-" + tag + path.extension().string()));
    return named.string();
}

}  // namespace flash410::cli
