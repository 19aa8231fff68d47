#include "serial/port_inventory.h"

#include <algorithm>

#include "serial/device_identity.h"
#include "serial/port_map.h"

namespace flash410::serial {

void SortPorts(std::vector<PortDescription>& ports) {
    std::stable_sort(ports.begin(), ports.end(), [](const PortDescription& a, const PortDescription& b) {
        const bool aNumbered = a.ComNumber > 0;
        const bool bNumbered = b.ComNumber > 0;
        if (aNumbered != bNumbered) {
            return aNumbered;
        }
        return aNumbered && a.ComNumber != b.ComNumber ? a.ComNumber < b.ComNumber : a.Device < b.Device;
    });
}

std::optional<PortDescription> FindPortOfDevice(std::span<const PortDescription> ports,
                                                const std::string& devicePath) {
    const std::string wanted = DeviceIdentity(devicePath);
    const auto found = std::find_if(ports.begin(), ports.end(), [&](const PortDescription& port) {
        return port.Device == devicePath || DeviceIdentity(port.Device) == wanted;
    });
    if (found == ports.end()) {
        return std::nullopt;
    }
    return *found;
}

std::optional<PortDescription> FindPortOfNumber(std::span<const PortDescription> ports, int comNumber) {
    const auto found = std::find_if(ports.begin(), ports.end(),
                                    [&](const PortDescription& port) { return port.ComNumber == comNumber; });
    if (comNumber <= 0 || found == ports.end()) {
        return std::nullopt;
    }
    return *found;
}

std::string PortSummary(const PortDescription& port) {
    const std::string name = port.ComNumber > 0 ? ComName(port.ComNumber) : port.Device;
    switch (port.Kind) {
        case PortKind::kUsbAdapter: {
            if (!port.Usb) {
                return name + ": USB adapter (" + port.Device + ")";
            }
            const UsbIdentity& usb = *port.Usb;
            std::string text =
                name + ": " +
                (usb.Product.empty() ? "USB adapter " + usb.VendorId + ":" + usb.ProductId : usb.Product);
            if (!usb.SerialNumber.empty()) {
                text += ", serial " + usb.SerialNumber;
            }
            return text;
        }
        case PortKind::kBuiltIn:
            return name + ": built-in serial port (" + port.Device + ")";
        case PortKind::kOperatorLink:
            return name + ": " + (port.LinkTarget.empty() ? port.Device : port.LinkTarget) + " (link)";
        case PortKind::kPseudoTerminal:
            return name + ": pseudo-terminal (" + port.Device + ")";
        case PortKind::kOther:
            break;
    }
    return name + ": serial port (" + port.Device + ")";
}

std::string PortSummaryOfNumber(std::span<const PortDescription> ports, int comNumber) {
    if (const std::optional<PortDescription> port = FindPortOfNumber(ports, comNumber)) {
        return PortSummary(*port);
    }
    return ComName(comNumber) + ": no device";
}

std::string KindName(PortKind kind) {
    switch (kind) {
        case PortKind::kUsbAdapter:
            return "USB adapter";
        case PortKind::kBuiltIn:
            return "built-in";
        case PortKind::kOperatorLink:
            return "link";
        case PortKind::kPseudoTerminal:
            return "pseudo-terminal";
        case PortKind::kOther:
            break;
    }
    return "other";
}

}  // namespace flash410::serial
