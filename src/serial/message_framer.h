// Framing of received bytes into messages: start character, body, end character, then a fixed number of
// further bytes (for example a checksum).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace flash410::serial {

class MessageFramer {
  public:
    enum class State : std::uint8_t { kIdle = 0, kCollecting = 1, kAppending = 2, kComplete = 3 };

    // Takes one byte; returns the message when this byte completes one.
    std::optional<std::string> Feed(char byte, char startChar, char endChar, std::uint16_t appendCount);

    State state() const { return state_; }
    const std::string& buffer() const { return buffer_; }

  private:
    std::optional<std::string> Complete();

    State state_ = State::kIdle;
    std::uint16_t countdown_ = 0;
    std::string buffer_;
};

}  // namespace flash410::serial
