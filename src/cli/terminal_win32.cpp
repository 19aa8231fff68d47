#include <io.h>
#include <windows.h>

#include <optional>
#include <string>

#include "cli/terminal.h"

namespace flash410::cli {

namespace {

// The console's cursor, or nothing when the handle is no console.
std::optional<COORD> CursorOf(HANDLE console) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(console, &info)) {
        return std::nullopt;
    }
    return info.dwCursorPosition;
}

// Whether the console obeys cursor codes now that it has been asked to. The mode read back does not tell:
// Wine's console, started from a Unix terminal, keeps the mode it is given yet counts the codes as text,
// so that a redraw never goes back up and takes a new line every time. The cursor tells: a code obeyed
// leaves it where it was, a code taken for text moves it on. The code tried clears the rest of a line that
// nothing has been written to yet, which shows nothing where it is obeyed; where it is not, it is blanked.
bool ObeysCursorCodes(HANDLE console) {
    const std::optional<COORD> before = CursorOf(console);
    constexpr char kClearToLineEnd[] = "\x1b[K";
    DWORD written = 0;
    if (!before || !WriteFile(console, kClearToLineEnd, sizeof kClearToLineEnd - 1, &written, nullptr)) {
        return false;
    }
    const std::optional<COORD> after = CursorOf(console);
    if (after && after->X == before->X && after->Y == before->Y) {
        return true;
    }
    if (after && after->Y == before->Y && after->X > before->X) {
        const std::string blanks(static_cast<std::size_t>(after->X - before->X), ' ');
        SetConsoleCursorPosition(console, *before);
        WriteFile(console, blanks.data(), static_cast<DWORD>(blanks.size()), &written, nullptr);
        SetConsoleCursorPosition(console, *before);
    }
    return false;
}

}  // namespace

struct ProgressTerminal::State {
    HANDLE console = INVALID_HANDLE_VALUE;  // the standard stream's own: not closed here
    TerminalControl control = TerminalControl::kNone;
    DWORD modeFound = 0;
    bool modeChanged = false;
};

ProgressTerminal::ProgressTerminal(std::FILE* stream) : state_(std::make_unique<State>()) {
    State& state = *state_;
    state.console = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    if (state.console == INVALID_HANDLE_VALUE || !GetConsoleMode(state.console, &state.modeFound)) {
        return;  // a file or a pipe
    }
    const DWORD wanted = state.modeFound | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING;
    DWORD modeNow = 0;
    state.modeChanged = SetConsoleMode(state.console, wanted) != 0;
    if (state.modeChanged && GetConsoleMode(state.console, &modeNow) &&
        (modeNow & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 && ObeysCursorCodes(state.console)) {
        state.control = TerminalControl::kCursorCodes;
        return;
    }
    // Every console goes back to the start of a line on a carriage return.
    state.control = TerminalControl::kCarriageReturn;
    if (state.modeChanged) {
        SetConsoleMode(state.console, state.modeFound);
        state.modeChanged = false;
    }
}

ProgressTerminal::~ProgressTerminal() {
    // The console outlives the program: the shell that started it gets it back as it was.
    if (state_->modeChanged) {
        SetConsoleMode(state_->console, state_->modeFound);
    }
}

TerminalControl ProgressTerminal::Control() const {
    return state_->control;
}

std::size_t ProgressTerminal::Columns() const {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (state_->console == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(state_->console, &info)) {
        return 0;
    }
    return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

}  // namespace flash410::cli
