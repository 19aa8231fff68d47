// The PC's end of the line, scripted by a test with plain POSIX calls on the modem's device.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/unique_fd.h"

namespace modemsim::testing {

// How long a test waits for something that should come at once; only a guard against hanging.
inline constexpr std::chrono::milliseconds kGuard{10000};

using Bytes = std::vector<std::uint8_t>;

class ScriptedPc {
  public:
    // Opens the device; throws std::system_error when it cannot.
    explicit ScriptedPc(const std::string& device);
    ~ScriptedPc();
    ScriptedPc(const ScriptedPc&) = delete;
    ScriptedPc& operator=(const ScriptedPc&) = delete;

    int fd() const { return fd_.get(); }
    void Send(std::string_view text);
    void Send(const Bytes& bytes);
    // The next line from the modem with its CR LF, or what came before the guard ran out.
    std::string ReadLine(std::chrono::milliseconds guard = kGuard);
    // Everything the modem sends within the window.
    std::string ReadFor(std::chrono::milliseconds window);
    // How many reads brought in the bytes of the last line ReadLine returned.
    int readsForLastLine() const { return readsForLastLine_; }
    void Close();

  private:
    bool ReadSome(std::chrono::steady_clock::time_point until);

    flash410::platform::UniqueFd fd_;
    std::string pending_;
    int readsPending_ = 0;
    int readsForLastLine_ = 0;
};

// A block as the PC sends it: the six address characters as given, 1024 data bytes, and the checksum
// (the sum of the 1030 bytes before it) unless one is forced.
Bytes BuildBlock(std::string_view addressText, const Bytes& data);
// 1024 bytes that differ from block to block: seed, seed + 1, ...
Bytes Pattern(std::uint8_t seed);

}  // namespace modemsim::testing
