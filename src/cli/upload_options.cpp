#include "cli/upload_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

#include "platform/utf8_path.h"

namespace flash410::cli {

namespace {

constexpr std::int32_t kLongestTimeoutSeconds = 24 * 3600;
// The engine ticks every 500 ms while it asks for READY and every 50 ms after.
constexpr std::int32_t kHandshakeTicksPerSecond = 2;
constexpr std::int32_t kReplyTicksPerSecond = 20;
constexpr std::int32_t kRepeatedRequestLimit = 10;

std::optional<int> WholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool LooksLikeDevicePath(const std::string& text) {
    return text.find('/') != std::string::npos || text.find('\\') != std::string::npos;
}

// Whether the text starts with the prefix, ignoring the case of ASCII letters.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) ==
                      std::toupper(static_cast<unsigned char>(b));
           });
}

// The COM number of "5", "COM5" or (where the system names its ports so) "\\.\COM5", in any case.
std::optional<int> ComNumber(std::string_view text, const SystemConventions& system) {
    if (system.ComDeviceNames && StartsWithIgnoringCase(text, "\\\\.\\")) {
        text.remove_prefix(4);
        if (!StartsWithIgnoringCase(text, "COM")) {
            return std::nullopt;
        }
    }
    if (text.size() > 3 && StartsWithIgnoringCase(text, "COM")) {
        text.remove_prefix(3);
    }
    const std::optional<int> number = WholeNumber(text);
    if (!number || *number < 1 || *number > system.HighestPort) {
        return std::nullopt;
    }
    return number;
}

}  // namespace

std::string PortTarget::Name() const {
    return DevicePath.empty() ? "COM" + std::to_string(Number) : DevicePath;
}

std::optional<PortTarget> ParsePortTarget(const std::string& text, const SystemConventions& system) {
    if (const std::optional<int> number = ComNumber(text, system)) {
        return PortTarget{*number, {}};
    }
    // Any other device name is opened as it is given: a port beyond the numbers too ("\\.\COM300").
    if (LooksLikeDevicePath(text)) {
        return PortTarget{0, text};
    }
    return std::nullopt;
}

ParsedUpload ParseUploadOptions(std::span<const std::string> arguments, const SystemConventions& system) {
    UploadOptions options;
    std::vector<PortTarget> ports;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (AsksForHelp(argument, system)) {
            return HelpRequested{};
        }
        const bool takesValue = argument == "--port" || argument == "--baud" || argument == "--type" ||
                                argument == "--capture" || argument == "--timeout";
        if (takesValue && i + 1 == arguments.size()) {
            return argument + " needs a value";
        }
        if (argument == "--port") {
            const std::string& value = arguments[++i];
            const std::optional<PortTarget> port = ParsePortTarget(value, system);
            if (!port) {
                const std::string highest = std::to_string(system.HighestPort);
                return "--port takes a port number 1-" + highest + ", COM1 to COM" + highest +
                       " or a device path, not \"" + value + "\"";
            }
            if (std::find(ports.begin(), ports.end(), *port) != ports.end()) {
                // "--port 5 --port \\.\COM5" gives COM5 twice under two names: the message says which port.
                const std::string named = value == port->Name() ? value : value + " (" + port->Name() + ")";
                return "--port " + named + " is given twice: each modem needs a port of its own";
            }
            ports.push_back(*port);
        } else if (argument == "--baud") {
            const std::string& value = arguments[++i];
            if (value != "19200" && value != "38400") {
                return "--baud takes 19200 or 38400, not \"" + value + "\"";
            }
            options.Baud = *WholeNumber(value);
        } else if (argument == "--type") {
            const std::string& value = arguments[++i];
            if (value == "bulk") {
                options.Request = upload::UploadRequest::kBulk;
            } else if (value == "mc") {
                options.Request = upload::UploadRequest::kMainAndConfiguration;
            } else {
                return "--type takes bulk or mc, not \"" + value + "\"";
            }
        } else if (argument == "--capture") {
            options.CapturePath = arguments[++i];
            if (options.CapturePath->empty()) {
                return "--capture needs a file name";
            }
        } else if (argument == "--timeout") {
            const std::string& value = arguments[++i];
            const std::optional<int> seconds = WholeNumber(value);
            if (!seconds || *seconds < 1 || *seconds > kLongestTimeoutSeconds) {
                return "--timeout takes a number of seconds from 1 to " + std::to_string(kLongestTimeoutSeconds) +
                       ", not \"" + value + "\"";
            }
            options.TimeoutSeconds = *seconds;
        } else if (argument == "--quiet" || argument == "-q") {
            options.Quiet = true;
        } else if (argument == "--json") {
            options.Json = true;
        } else if (argument.starts_with("-") && argument.size() > 1) {
            return "Unknown option: " + argument;
        } else if (!options.File.empty()) {
            return "Only one firmware file can be uploaded at a time (" + options.File + ", " + argument + ")";
        } else {
            options.File = argument;
        }
    }
    if (options.File.empty()) {
        return "Name the firmware file to upload";
    }
    options.Ports = ports.empty() ? std::vector{PortTarget{1, {}}} : std::move(ports);
    return options;
}

upload::UploadLimits LimitsForTimeout(std::int32_t timeoutSeconds) {
    upload::UploadLimits limits;
    limits.HandshakeTries = timeoutSeconds * kHandshakeTicksPerSecond;
    limits.ReplyWaitTicks = timeoutSeconds * kReplyTicksPerSecond;
    limits.ResendOnSilence = false;
    limits.RepeatedRequestLimit = kRepeatedRequestLimit;
    return limits;
}

std::string CapturePathForPort(const std::string& givenPath, const PortTarget& port, bool severalPorts) {
    namespace fs = std::filesystem;
    const fs::path path = platform::PathFromUtf8(givenPath);
    std::error_code error;
    const bool folder = !path.has_filename() || fs::is_directory(path, error);
    if (!folder && !severalPorts) {
        return givenPath;
    }
    // The whole device path, not its last name alone: a/modem and b/modem are two devices.
    std::string tag = port.Name();
    std::replace_if(tag.begin(), tag.end(), [](char c) { return c == '/' || c == '\\' || c == ':'; }, '-');
    tag.erase(0, tag.find_first_not_of("-."));
    if (folder) {
        return (path / platform::PathFromUtf8("capture-" + tag + ".txt")).string();
    }
    fs::path named = path;
    named.replace_filename(platform::PathFromUtf8(path.stem().string() + "-" + tag + path.extension().string()));
    return named.string();
}

}  // namespace flash410::cli
