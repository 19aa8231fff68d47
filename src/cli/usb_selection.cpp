#include "cli/usb_selection.h"
#include "platform/plain_text.h"

#include <algorithm>
#include <cctype>

namespace flash410::cli {

namespace {

bool IsUsbId(std::string_view text) {
    return text.size() == 4 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c) != 0; });
}

// A serial number as an adapter reports it: visible ASCII, no blanks, no separators of the selector.
bool IsSerialNumber(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isgraph(c) != 0 && c != ':'; });
}

std::vector<std::string_view> SplitAtColons(std::string_view text) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t colon = text.find(':');
        parts.push_back(text.substr(0, colon));
        if (colon == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(colon + 1);
    }
}

std::string CandidateLine(const serial::PortDescription& port) {
    const serial::UsbIdentity& usb = *port.Usb;
    std::string line = "  " + port.Device + "  " + usb.VendorId + ":" + usb.ProductId;
    line += usb.SerialNumber.empty() ? ", no serial number" : ", serial " + usb.SerialNumber;
    if (!usb.Product.empty()) {
        line += ", " + usb.Product;
    }
    return line;
}

}  // namespace

std::string UsbSelector::Text() const {
    std::string text(kUsbPrefix);
    if (VendorId.empty() && SerialNumber.empty()) {
        return text + "any";
    }
    if (!VendorId.empty()) {
        text += VendorId + ":" + ProductId;
        if (!SerialNumber.empty()) {
            text += ":";
        }
    }
    return text + SerialNumber;
}

bool UsbSelector::Matches(const serial::UsbIdentity& adapter) const {
    return (VendorId.empty() || VendorId == platform::AsciiLowerCase(adapter.VendorId)) &&
           (ProductId.empty() || ProductId == platform::AsciiLowerCase(adapter.ProductId)) &&
           (SerialNumber.empty() || SerialNumber == adapter.SerialNumber);
}

std::optional<UsbSelector> ParseUsbSelector(std::string_view text) {
    if (text.size() < kUsbPrefix.size() ||
        platform::AsciiLowerCase(text.substr(0, kUsbPrefix.size())) != kUsbPrefix) {
        return std::nullopt;
    }
    if (platform::AsciiLowerCase(text.substr(kUsbPrefix.size())) == "any") {
        return UsbSelector{};
    }
    const std::vector<std::string_view> parts = SplitAtColons(text.substr(kUsbPrefix.size()));
    if (parts.size() == 1 && IsSerialNumber(parts[0])) {
        return UsbSelector{{}, {}, std::string(parts[0])};
    }
    if ((parts.size() == 2 || parts.size() == 3) && IsUsbId(parts[0]) && IsUsbId(parts[1])) {
        if (parts.size() == 3 && !IsSerialNumber(parts[2])) {
            return std::nullopt;
        }
        return UsbSelector{platform::AsciiLowerCase(parts[0]), platform::AsciiLowerCase(parts[1]),
                           parts.size() == 3 ? std::string(parts[2]) : std::string()};
    }
    return std::nullopt;
}

std::variant<serial::PortDescription, UsbSelectionRefusal> SelectUsbPort(
    const UsbSelector& selector, std::span<const serial::PortDescription> ports) {
    std::vector<const serial::PortDescription*> adapters;
    std::vector<const serial::PortDescription*> matches;
    for (const serial::PortDescription& port : ports) {
        if (port.Kind != serial::PortKind::kUsbAdapter || !port.Usb) {
            continue;
        }
        adapters.push_back(&port);
        if (selector.Matches(*port.Usb)) {
            matches.push_back(&port);
        }
    }
    if (matches.size() == 1) {
        return *matches.front();
    }
    UsbSelectionRefusal refusal;
    if (adapters.empty()) {
        refusal.Problem = "--port " + selector.Text() + ": no USB adapter is present";
        return refusal;
    }
    refusal.Problem = matches.empty()
                          ? "--port " + selector.Text() + " matches none of the USB adapters present"
                          : "--port " + selector.Text() + " matches " + std::to_string(matches.size()) +
                                " USB adapters: name one by its serial number (usb:SERIAL)";
    for (const serial::PortDescription* adapter : adapters) {
        refusal.Candidates.push_back(CandidateLine(*adapter));
    }
    return refusal;
}

}  // namespace flash410::cli
