#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "cli/terminal.h"

namespace flash410::cli {

struct ProgressTerminal::State {
    int descriptor = -1;
    TerminalControl control = TerminalControl::kNone;
};

// A terminal that calls itself "dumb" may not know the cursor codes; it gets the lines a pipe gets.
ProgressTerminal::ProgressTerminal(std::FILE* stream) : state_(std::make_unique<State>()) {
    state_->descriptor = ::fileno(stream);
    const char* term = std::getenv("TERM");
    if (::isatty(state_->descriptor) == 1 && term != nullptr && std::strcmp(term, "dumb") != 0) {
        state_->control = TerminalControl::kCursorCodes;
    }
}

ProgressTerminal::~ProgressTerminal() = default;

TerminalControl ProgressTerminal::Control() const {
    return state_->control;
}

std::size_t ProgressTerminal::Columns() const {
    winsize size{};
    return ::ioctl(state_->descriptor, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

}  // namespace flash410::cli
