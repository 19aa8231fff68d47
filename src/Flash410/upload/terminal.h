// Whether the program's output goes to a terminal, which can show a progress line rewritten in place.
#pragma once

#include <cstdio>

namespace flash410::cli {

// True when the stream is a terminal that understands the cursor movements the progress lines use
// (on Windows, once they have been switched on for the console).
bool PrepareTerminal(std::FILE* stream);

}  // namespace flash410::cli
