// Whether the program's output goes to a terminal, which can show a progress line rewritten in place.
#pragma once

#include <cstddef>
#include <cstdio>

namespace flash410::cli {

// True when the stream is a terminal that understands the cursor movements the progress lines use
// (on Windows, once they have been switched on for the console).
bool PrepareTerminal(std::FILE* stream);

// The width of the terminal the stream shows on, in characters; 0 when it is no terminal or will not say.
std::size_t TerminalColumns(std::FILE* stream);

}  // namespace flash410::cli
