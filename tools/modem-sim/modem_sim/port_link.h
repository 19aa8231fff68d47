// Makes the simulated modem COM port N of a program folder: the link <folder>/ports/com<N> names the
// pseudo-terminal's device, and goes again when the simulator ends.
#pragma once

#include <filesystem>
#include <string>

namespace modemsim {

inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 19;

class PortLink {
  public:
    // Creates the ports folder when missing and replaces a stale link. Throws std::runtime_error with a
    // clear message when the folder does not exist, the port is not 1-19, or something other than a link
    // is in the way.
    PortLink(const std::filesystem::path& programFolder, int port, const std::string& device);
    ~PortLink();
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
    std::string device_;
};

}  // namespace modemsim
