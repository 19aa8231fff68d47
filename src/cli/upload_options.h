// The arguments of "flash410-cli upload", read and checked before anything is prepared or opened.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "cli/system_conventions.h"
#include "cli/upload_help.h"
#include "cli/usb_selection.h"
#include "serial/port_inventory.h"
#include "upload/upload_engine.h"

namespace flash410::cli {

// A port as the operator names it: a COM number ("5" or "COM5"; up to 19 on Linux, mapped as the window
// maps it, and up to 255 on Windows, where "\\.\COM5" is the same port), the path of a serial device, or
// the USB adapter behind it ("usb:A50285BI"), which is looked up among the ports present before the upload.
struct PortTarget {
    int Number = 0;          // the COM number; 0 for a device path or a USB adapter
    std::string DevicePath;  // empty for a COM number, and for a USB adapter not looked up yet
    std::optional<UsbSelector> Usb = std::nullopt;
    // The adapter found behind the port, once a USB adapter's port has been looked up.
    std::optional<serial::UsbIdentity> Adapter = std::nullopt;
    // How the output names the port: "COM5", the device path, or the adapter with its device
    // ("usb:A50285BI (/dev/ttyUSB0)").
    std::string Name() const;
    // The port's part of a file name, valid on every system: "COM5", "dev-ttyUSB0", "usb-A50285BI".
    std::string FileTag() const;
    bool operator==(const PortTarget&) const = default;
};

struct HelpRequested {};

struct UploadOptions {
    std::vector<PortTarget> Ports;
    std::int32_t Baud = 38400;
    upload::UploadRequest Request = upload::UploadRequest::kBulk;
    std::optional<std::string> CapturePath;
    std::int32_t TimeoutSeconds = 100;
    // The upload image's SHA-256 that the firmware must have, in lower-case digits.
    std::optional<std::string> ExpectedImageSha256;
    bool Quiet = false;
    bool Json = false;  // one JSON object a line for each thing that happens, instead of the text
    std::string File;
};

// The options, a request for the help text, or what is wrong with the arguments (one line).
using ParsedUpload = std::variant<UploadOptions, HelpRequested, std::string>;

ParsedUpload ParseUploadOptions(std::span<const std::string> arguments,
                                const SystemConventions& system = ThisSystem());

// Reads a command line laid out as define lays it out: the arguments as given, a request for the help, or
// what is wrong with them (one line).
using DefineCommandLine = void (*)(CLI::App& app, UploadArguments& arguments,
                                   const SystemConventions& system);
std::variant<UploadArguments, HelpRequested, std::string> ReadUploadArguments(
    std::string_view command, DefineCommandLine define, std::span<const std::string> arguments,
    const SystemConventions& system);

// Checks the arguments that upload and station share, in the order given; no ports when none is given.
// portOption names the ports' option in what is wrong ("--port", "--ports").
std::variant<UploadOptions, std::string> CheckUploadArguments(const UploadArguments& arguments,
                                                              const SystemConventions& system,
                                                              std::string_view portOption = "--port");

// Reads "5", "COM5" or "com5" (1 to the system's highest port), "\\.\COM5" as the same port where the
// system names its ports so, a USB adapter (ParseUsbSelector), or a device path; nothing for anything else.
std::optional<PortTarget> ParsePortTarget(const std::string& text,
                                          const SystemConventions& system = ThisSystem());

// The limits the command line's time-out sets on the engine: READY and every reply awaited within the
// time-out, no block sent again on silence, and at most ten requests in a row for the same block.
upload::UploadLimits LimitsForTimeout(std::int32_t timeoutSeconds);

// Finds the port of each USB adapter named among the ports present; other ports are left as they are.
// What is wrong when one names no adapter or several: a first line, then the adapters present.
std::optional<UsbSelectionRefusal> ResolveUsbPorts(std::vector<PortTarget>& ports,
                                                   std::span<const serial::PortDescription> present);

// The capture file of one port. A folder (one that exists, or a name ending in a separator) takes a file
// named by the port, "capture-COM2.txt" or "capture-dev-ttyUSB0.txt", whatever the number of ports; a
// file name is taken as it is with one port, and with several gets the port before its extension
// ("capture.txt" -> "capture-COM2.txt").
std::string CapturePathForPort(const std::string& givenPath, const PortTarget& port, bool severalPorts);

}  // namespace flash410::cli
