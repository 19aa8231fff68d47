#include "window_model/port_settings_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/file_locations.h"
#include "platform/utf8_path.h"

namespace flash410::window_model {

namespace {

void SelectDefaults(ListState& ports, ListState& bauds) {
    ports.ItemIndex = 0;
    bauds.ItemIndex = 1;
}

std::string Reason() {
    return errno != 0 ? std::strerror(errno) : "not a readable file";
}

std::string CannotRemember(const std::string& path, const std::string& reason) {
    return "The port could not be remembered in " + path + " (" + reason +
           "); the program works on, but will not select this port at its next start.";
}

}  // namespace

std::optional<std::string> ReadPortSettings(const std::string& path, ListState& ports, ListState& bauds) {
    SelectDefaults(ports, bauds);
    const std::filesystem::path filePath = platform::PathFromUtf8(path);
    std::error_code error;
    if (!std::filesystem::exists(filePath, error)) {
        return std::nullopt;
    }
    std::ifstream file(filePath, std::ios::binary);
    if (!file || !std::filesystem::is_regular_file(filePath, error)) {
        return "The remembered port could not be read from " + path + " (" + Reason() +
               "); port 1 is selected.";
    }
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        ports.SelectText(line.substr(0, line.find(',')));
        bauds.ItemIndex = 1;
    }
    if (file.bad()) {
        SelectDefaults(ports, bauds);
        return "The remembered port could not be read from " + path + " (" + Reason() +
               "); port 1 is selected.";
    }
    return std::nullopt;
}

std::optional<std::string> WritePortSettings(const std::string& path, const ListState& ports,
                                             const ListState& bauds, const std::string& rememberedPort) {
    if (ports.Text() == rememberedPort) {
        return std::nullopt;
    }
    // An installed program keeps the file in the user's configuration folder, made at the first write.
    if (auto problem =
            flash410::platform::CreateFolder(platform::PathFromUtf8(path).parent_path().string() + "/")) {
        return CannotRemember(path, *problem);
    }
    std::ofstream file(platform::PathFromUtf8(path), std::ios::binary | std::ios::trunc);
    if (file) {
        file << ports.Text() << ',' << bauds.Text() << "\r\n";
        file.close();
    }
    if (!file) {
        return CannotRemember(path, Reason());
    }
    return std::nullopt;
}

}  // namespace flash410::window_model
