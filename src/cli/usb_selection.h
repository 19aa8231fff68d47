// A port chosen by the USB adapter behind it ("usb:A50285BI", "usb:0403:6001", "usb:0403:6001:A50285BI")
// rather than by the number it happened to come up as: on a bench with several modems the numbers move
// when cables are replugged, the adapter's serial number does not.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "serial/port_inventory.h"

namespace flash410::cli {

struct UsbSelector {
    std::string VendorId;      // four lower-case hex digits, or empty: any vendor
    std::string ProductId;     // four lower-case hex digits, or empty: any product
    std::string SerialNumber;  // empty: any serial number

    // As the operator would type it: "usb:0403:6001:A50285BI".
    std::string Text() const;
    bool Matches(const serial::UsbIdentity& adapter) const;
    bool operator==(const UsbSelector&) const = default;
};

inline constexpr std::string_view kUsbPrefix = "usb:";

// Reads "usb:any" (every adapter), "usb:SERIAL", "usb:VVVV:PPPP" or "usb:VVVV:PPPP:SERIAL" (the prefix in any
// case, the ids four hex digits in any case, the serial number as printable text without blanks); nothing for
// anything else.
std::optional<UsbSelector> ParseUsbSelector(std::string_view text);

// The one USB adapter present that the selector names, or what is wrong (no adapter, or several): a
// first line, then every USB adapter present, one a line, for the operator to choose from.
struct UsbSelectionRefusal {
    std::string Problem;
    std::vector<std::string> Candidates;
};
std::variant<serial::PortDescription, UsbSelectionRefusal> SelectUsbPort(
    const UsbSelector& selector, std::span<const serial::PortDescription> ports);

}  // namespace flash410::cli
