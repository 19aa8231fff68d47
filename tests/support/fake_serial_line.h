// A serial line for the window model's tests: it records what is sent and hands out what the test puts in.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "serial/serial_line.h"

namespace flash410::test_support {

class FakeSerialLine : public serial::SerialLine {
  public:
    std::uint8_t Port() const override { return port_; }
    void SetPort(std::uint8_t port) override { port_ = port; }
    std::int32_t Baudrate() const override { return baudrate_; }
    void SetBaudrate(std::int32_t baudrate) override { baudrate_ = baudrate; }
    bool Active() const override { return active_; }
    void SetActive(bool active) override {
        active_ = active && opens;
        if (active)
            ++openRequests;
    }
    std::size_t Write(std::span<const std::uint8_t> bytes) override {
        ++writeCalls;
        const std::size_t taken = std::min(bytes.size(), takesAtMost);
        sent.append(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(taken));
        return taken;
    }
    std::int32_t ReadString(std::string& text) override {
        text = std::exchange(incoming, {});
        return static_cast<std::int32_t>(text.size());
    }
    bool KeepsPace() const override { return keepsPace; }

    // Whether an open succeeds.
    bool opens = true;
    int openRequests = 0;
    int writeCalls = 0;
    // How many bytes of a Write the line takes: fewer than the write's own stands for a stalled line.
    std::size_t takesAtMost = SIZE_MAX;
    std::string sent;
    std::string incoming;
    // A line that keeps the pace of its baud, whose test then sets the clock as the bytes cross.
    bool keepsPace = false;

  private:
    std::uint8_t port_ = 1;
    std::int32_t baudrate_ = 9600;
    bool active_ = false;
};

}  // namespace flash410::test_support
