// A capture log read back: what it says went to the modem, and every line its form does not allow.
#pragma once

#include <string>
#include <vector>

namespace flash410::campaign {

struct CaptureReading {
    // The texts of its "[out]" lines ("resend" only marks a block sent again) and each block, rebuilt
    // from its "[info  ]" line and its sixteen rows, in order.
    std::string sent;
    std::vector<std::string> problems;
};

// text is the whole capture file: "[start]", then lines of a stamp (hh:mm:ss:ms), a tag in brackets and
// the text. Received text may hold line ends of its own, which continue its line.
CaptureReading ReadCaptureLog(const std::string& text);

}  // namespace flash410::campaign
