// The narrow view of the serial port that the upload engine needs. SerialPort implements it; the
// engine's tests put a fake line behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace flash410::serial {

class SerialLine {
  public:
    virtual ~SerialLine() = default;

    virtual std::uint8_t Port() const = 0;
    virtual void SetPort(std::uint8_t port) = 0;
    virtual std::int32_t Baudrate() const = 0;
    virtual void SetBaudrate(std::int32_t baudrate) = 0;
    // Reading tells whether the port is open; setting opens, re-opens or closes it synchronously.
    virtual bool Active() const = 0;
    virtual void SetActive(bool active) = 0;

    // The bytes in one write of the driver, waited for at most their wire time at the baud in use plus a
    // second. Returns how many the driver took: fewer only when the line stopped taking them or failed,
    // and the rest is not sent later.
    virtual std::size_t Write(std::span<const std::uint8_t> bytes) = 0;
    // Empties text, then fills it with what has been received; returns its length. Never waits for data.
    virtual std::int32_t ReadString(std::string& text) = 0;
    // Whether written bytes cross the line at the pace of its baud, as on a serial cable, so that no
    // answer to them can begin before they have crossed; a line that passes them at once (a test's) does
    // not. A pseudo-terminal may not either: the engine finds that out from the answers.
    virtual bool KeepsPace() const = 0;
};

}  // namespace flash410::serial
