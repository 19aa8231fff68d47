#include "serial/error_words.h"

namespace flash410::serial {

namespace {

// What the operator can do about a refused open, by its kind; empty where there is nothing to add to the
// system's own text. Every kind is named, so that a new one cannot go without words.
std::string OpenAdvice(ErrorKind kind, const OpenFailureDetail& detail) {
    switch (kind) {
        case ErrorKind::kPermission:
            return detail.accessAdvice.empty()
                       ? "You may not use this device: ask the administrator for access."
                       : detail.accessAdvice;
        case ErrorKind::kBusy:
            return (detail.holders.empty() ? std::string("Another program is using it.")
                                           : "It is in use by " + detail.holders + ".") +
                   " Close that program and try again.";
        case ErrorKind::kMissing:
            return "The device does not exist: check that the serial adapter is plugged in, or pick another "
                   "port.";
        case ErrorKind::kNotSerialPort:
            return "It is not a serial port.";
        case ErrorKind::kNone:
        case ErrorKind::kGone:
        case ErrorKind::kOther:
            return {};
    }
    return {};
}

}  // namespace

std::string OpenFailureText(const std::string& port, const SystemError& error,
                            const OpenFailureDetail& detail) {
    std::string text = "Cannot open " + port + ": " + error.text + ".";
    if (const std::string advice = OpenAdvice(error.kind, detail); !advice.empty()) {
        text += " " + advice;
    }
    return text;
}

std::string DeviceFailureText(const std::string& doing, const std::string& port, const SystemError& error) {
    return "Error " + doing + " " + port + ": " + error.text + ".";
}

std::string DeviceGoneText(const std::string& port, const SystemError& error) {
    return port + " is no longer available (" + error.text +
           "): was the serial adapter unplugged or the cable pulled? The port has been closed.";
}

std::string WriteStalledText(const std::string& port, std::size_t taken, std::size_t length,
                             std::uint32_t boundMs) {
    return port + " is not taking the bytes written to it: " + std::to_string(taken) + " of " +
           std::to_string(length) + " bytes went within " + std::to_string(boundMs) +
           " ms, and the rest was not sent. Until the line moves again, bytes that it does not take at once "
           "are dropped. Is flow control holding the line, or has the device stopped reading?";
}

}  // namespace flash410::serial
