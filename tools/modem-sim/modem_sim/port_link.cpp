#include "modem_sim/port_link.h"

#include <stdexcept>
#include <system_error>

namespace modemsim {

namespace fs = std::filesystem;

PortLink::PortLink(const fs::path& programFolder, int port, const std::string& device) : device_(device) {
    if (port < kFirstPort || port > kLastPort) {
        throw std::runtime_error("port " + std::to_string(port) + " is not one of 1 to 19");
    }
    std::error_code error;
    if (!fs::is_directory(programFolder, error)) {
        throw std::runtime_error("program folder " + programFolder.string() + " does not exist");
    }
    const fs::path ports = programFolder / "ports";
    fs::create_directories(ports, error);
    if (error) {
        throw std::runtime_error("cannot create " + ports.string() + ": " + error.message());
    }
    path_ = ports / ("com" + std::to_string(port));
    const fs::file_status status = fs::symlink_status(path_, error);
    if (fs::is_symlink(status)) {
        // A link left by a simulator that did not end cleanly.
        fs::remove(path_, error);
    } else if (fs::exists(status)) {
        throw std::runtime_error(path_.string() + " exists and is not a link; not replacing it");
    }
    fs::create_symlink(device_, path_, error);
    if (error) {
        throw std::runtime_error("cannot link " + path_.string() + " to " + device_ + ": " + error.message());
    }
}

PortLink::~PortLink() {
    // Only our own link: another simulator may have taken the port over meanwhile.
    std::error_code error;
    if (fs::read_symlink(path_, error) == fs::path(device_) && !error) {
        fs::remove(path_, error);
    }
}

}  // namespace modemsim
