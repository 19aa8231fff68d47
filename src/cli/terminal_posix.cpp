#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "cli/terminal.h"

namespace flash410::cli {

bool PrepareTerminal(std::FILE* stream) {
    const char* term = std::getenv("TERM");
    return ::isatty(::fileno(stream)) == 1 && term != nullptr && std::strcmp(term, "dumb") != 0;
}

std::size_t TerminalColumns(std::FILE* stream) {
    winsize size{};
    return ::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

}  // namespace flash410::cli
