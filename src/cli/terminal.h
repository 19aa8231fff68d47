// Whether the program's output goes to a terminal, and how that terminal can show a progress line that is
// rewritten in place.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

namespace flash410::cli {

enum class TerminalControl {
    kNone,            // a file or a pipe: progress is written line by line
    kCursorCodes,     // moves the cursor up and clears lines, so each port keeps a line of its own
    kCarriageReturn,  // only returns to the start of the line, so the ports share one line
};

// The terminal of a standard stream, readied for progress lines for as long as this lives: on Windows the
// console is asked to obey cursor codes, and given back in the mode it was found in at the end.
class ProgressTerminal {
  public:
    explicit ProgressTerminal(std::FILE* stream);
    ~ProgressTerminal();
    ProgressTerminal(const ProgressTerminal&) = delete;
    ProgressTerminal& operator=(const ProgressTerminal&) = delete;

    TerminalControl Control() const;
    // The terminal's width in characters now (a window may be resized); 0 when it is no terminal or will
    // not say.
    std::size_t Columns() const;

  private:
    struct State;  // the system's own, in terminal_<system>.cpp
    std::unique_ptr<State> state_;
};

}  // namespace flash410::cli
