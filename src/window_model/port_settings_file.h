// "commsUP.txt" in the program's settings folder remembers the port that last opened, as one line
// "port,baud" (for example 12,19200).
#pragma once

#include <optional>
#include <string>

#include "window_model/screen_state.h"

namespace flash410::window_model {

inline constexpr const char* kPortSettingsFileName = "commsUP.txt";

// Selects the remembered port (or no port, for a text that matches no entry) and always the baud rate
// "38400". Returns a message when the file exists but cannot be read; the lists then stand as if it were
// absent.
std::optional<std::string> ReadPortSettings(const std::string& path, ListState& ports, ListState& bauds);

// Writes the lists' texts unless the port is the one remembered at start-up, making the file's folder
// first when it is missing. Returns a message when the folder or the file cannot be written.
std::optional<std::string> WritePortSettings(const std::string& path, const ListState& ports,
                                             const ListState& bauds, const std::string& rememberedPort);

}  // namespace flash410::window_model
