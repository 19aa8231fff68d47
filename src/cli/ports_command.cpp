#include "cli/ports_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "command_line/help_formatter.h"
#include "serial/port_map.h"

namespace flash410::cli {

namespace {

constexpr char kDescription[] =
    R"(Lists the serial ports present, one line a port: its COM number (when one leads to it), the device, its
kind (USB adapter, built-in, link, pseudo-terminal), for a USB adapter its vendor:product id,
manufacturer, product name, serial number and driver, and whether a program has it open. An FTDI adapter
that holds received bytes back for more than 1 ms gets a line saying how to set its latency timer to 1 ms,
which makes each block of an upload faster.)";

constexpr char kFooter[] =
    R"(Upload to an adapter by its serial number, whatever port it came up as: flash410-cli upload --port
usb:SERIAL (or usb:VVVV:PPPP, usb:VVVV:PPPP:SERIAL).

Exit status: 0 listed, also when there is no port; 2 wrong arguments.)";

// The column the options' descriptions begin in, as in the other commands' help.
constexpr std::size_t kHelpDescriptionColumn = 20;
constexpr std::string_view kTtyPlaceholder = "{tty}";

std::string JsonKind(serial::PortKind kind) {
    switch (kind) {
        case serial::PortKind::kUsbAdapter:
            return "usb_adapter";
        case serial::PortKind::kBuiltIn:
            return "built_in";
        case serial::PortKind::kOperatorLink:
            return "link";
        case serial::PortKind::kPseudoTerminal:
            return "pseudo_terminal";
        case serial::PortKind::kOther:
            break;
    }
    return "other";
}

nlohmann::ordered_json TextOrNull(const std::string& text) {
    return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(text);
}

std::string PortLine(const serial::PortDescription& port) {
    std::string name = port.ComNumber > 0 ? serial::ComName(port.ComNumber) : "-";
    name.resize(std::max<std::size_t>(name.size(), 5), ' ');
    std::string line = name + "  " + port.Device + "  " + serial::KindName(port.Kind);
    if (port.Usb) {
        const serial::UsbIdentity& usb = *port.Usb;
        line += " " + usb.VendorId + ":" + usb.ProductId;
        for (const std::string& text : {usb.Manufacturer, usb.Product}) {
            if (!text.empty()) {
                line += ", " + text;
            }
        }
        if (!usb.SerialNumber.empty()) {
            line += ", serial " + usb.SerialNumber;
        }
        if (!usb.Driver.empty()) {
            line += ", driver " + usb.Driver;
        }
    }
    if (!port.LinkTarget.empty() && port.LinkTarget != port.Device) {
        line += ", link to " + port.LinkTarget;
    }
    line += port.InUseBy.empty() ? ", free" : ", in use by " + port.InUseBy;
    return line;
}

std::string LatencyAdvice(const serial::PortDescription& port, const SystemConventions& system) {
    std::string advice(system.LatencyTimerAdvice);
    if (const auto at = advice.find(kTtyPlaceholder); at != std::string::npos) {
        advice.replace(at, kTtyPlaceholder.size(), std::filesystem::path(port.Device).filename().string());
    }
    return "       latency timer " + std::to_string(*port.Usb->LatencyTimerMs) +
           " ms: each reply waits that long; set it to 1 ms: " + advice;
}

}  // namespace

void WritePortList(std::span<const serial::PortDescription> ports, std::ostream& out,
                   const SystemConventions& system) {
    if (ports.empty()) {
        out << "No serial port found.\n";
        return;
    }
    for (const serial::PortDescription& port : ports) {
        out << PortLine(port) << '\n';
        if (port.Usb && port.Usb->LatencyTimerMs && *port.Usb->LatencyTimerMs > 1) {
            out << LatencyAdvice(port, system) << '\n';
        }
    }
}

std::string PortListJson(std::span<const serial::PortDescription> ports) {
    auto list = nlohmann::ordered_json::array();
    for (const serial::PortDescription& port : ports) {
        const serial::UsbIdentity usb = port.Usb.value_or(serial::UsbIdentity{});
        nlohmann::ordered_json entry;
        entry["com_number"] = port.ComNumber > 0 ? nlohmann::ordered_json(port.ComNumber) : nullptr;
        entry["device"] = port.Device;
        entry["kind"] = JsonKind(port.Kind);
        entry["vendor_id"] = TextOrNull(usb.VendorId);
        entry["product_id"] = TextOrNull(usb.ProductId);
        entry["manufacturer"] = TextOrNull(usb.Manufacturer);
        entry["product"] = TextOrNull(usb.Product);
        entry["serial_number"] = TextOrNull(usb.SerialNumber);
        entry["driver"] = TextOrNull(usb.Driver);
        entry["latency_timer_ms"] = usb.LatencyTimerMs ? nlohmann::ordered_json(*usb.LatencyTimerMs)
                                                       : nlohmann::ordered_json(nullptr);
        entry["in_use_by"] = TextOrNull(port.InUseBy);
        entry["link_target"] = TextOrNull(port.LinkTarget);
        list.push_back(std::move(entry));
    }
    return list.dump(2) + "\n";
}

int RunPorts(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
             const PortLister& listPorts, const SystemConventions& system) {
    CLI::App app("", "flash410-cli ports");
    bool json = false;
    app.description(kDescription);
    app.add_flag("--json", json, "The same as one JSON array, a field null where it is unknown.");
    app.set_help_flag("-h,--help", "Shows this text.");
    app.footer(kFooter);
    command_line::UseHelpLayout(app, kHelpDescriptionColumn, std::string(HelpOptionNames(system)));
    if (const std::optional<int> status = ReadCommandArguments(app, "ports", arguments, out, err, system)) {
        return *status;
    }
    const std::vector<serial::PortDescription> ports = listPorts();
    if (json) {
        out << PortListJson(ports);
    } else {
        WritePortList(ports, out, system);
    }
    return kExitSuccess;
}

CliCommand PortsCommand(PortLister listPorts) {
    return CliCommand{
        "ports", "[--json]",
        "Lists the serial ports present with the USB adapter behind each and whether it is in use.",
        [listPorts = std::move(listPorts)](std::span<const std::string> arguments, std::ostream& out,
                                           std::ostream& err) {
            return RunPorts(arguments, out, err, listPorts);
        }};
}

}  // namespace flash410::cli
