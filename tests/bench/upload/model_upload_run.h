// An upload through the window model: the sequencer ticking as the window's timer ticks it, the serial
// component over a pseudo-terminal to a simulated modem in this process.
#pragma once

#include <optional>
#include <string>

#include "timed_modem.h"

namespace flash410::bench {

struct ModelUpload {
    std::optional<ModemTimes> modem;  // nothing when the modem saw no whole upload
    std::string outcome;              // the window's progress line at the end
};

// Uploads firmwareFile (a flat .bin or .vxf) at baud, in a program folder of its own.
ModelUpload UploadThroughModel(const std::string& firmwareFile, int baud);

}  // namespace flash410::bench
