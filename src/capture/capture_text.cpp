#include "capture/capture_text.h"

#include <string_view>

namespace flash410::capture {
namespace {

// Replaces the first `limit` occurrences of `byte`; the replacement never contains the byte, so each
// search from the start finds the next original one.
void ReplaceFirst(std::string& text, char byte, std::string_view replacement, int limit) {
    for (int done = 0; done < limit; ++done) {
        const std::size_t position = text.find(byte);
        if (position == std::string::npos) {
            return;
        }
        text.replace(position, 1, replacement);
    }
}

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

std::string TranslateCaptureText(std::string joined) {
    ReplaceFirst(joined, '\n', "[lf]", 4);
    ReplaceFirst(joined, '\r', "[cr]", 6);
    // The modem's factory mode replies are logged by meaning; the enabled reply wins over the disabled one,
    // and both over the plain acknowledgement.
    if (Contains(joined, "FAC=E ")) {
        return " Factory mode enabled";
    }
    if (Contains(joined, "FAC=D ")) {
        return " Factory mode disabled";
    }
    if (Contains(joined, "FAC=")) {
        return " Factory mode message accepted";
    }
    return joined;
}

}  // namespace flash410::capture
