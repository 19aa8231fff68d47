// What the command line shows while the ports upload. On a terminal that moves the cursor: one line per
// port, rewritten in place. On one that only returns to the start of the line (a Windows console that does
// not obey cursor codes): one line for all the ports still going, rewritten in place, and a line of its
// own for each port's end. Into a file or a pipe: a line when a port starts its blocks, at each tenth of
// them, and at its end. Quiet: only the end of each port.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/port_upload.h"

namespace flash410::cli {

enum class ProgressStyle { kTerminal, kCarriageReturn, kLines, kQuiet };

// "COM2  block 52 of 512  10 %  3584 bytes/s  elapsed 00:15  left 02:10"
std::string ProgressLine(const std::string& portName, const PortProgress& progress);
// What one of several ports sharing a line says: "COM2 52/512 10 %", or "COM2 waiting for READY".
std::string BriefProgress(const std::string& portName, const PortProgress& progress);

// A line's width in characters, not bytes: UTF-8 continuation bytes add nothing to it.
std::size_t Characters(const std::string& text);
// The first characters of the text, at most width of them.
std::string FirstCharacters(const std::string& text, std::size_t width);

// "01:05"; hours when there are any ("1:02:03").
std::string ClockText(std::chrono::steady_clock::duration duration);

class ProgressReport {
  public:
    // terminalColumns, when given, tells the terminal's width: a progress line is cut to fit it, since a
    // line that wraps could not be rewritten in place.
    ProgressReport(std::ostream& out, ProgressStyle style, std::vector<std::string> portNames,
                   std::function<std::size_t()> terminalColumns = {});

    // The ports' progress now, in the order of the names.
    void Show(const std::vector<PortProgress>& progress);
    // A port has ended: its last line says how.
    void ShowEnd(std::size_t port, const std::string& finalText);
    // Something to say between the lines (a warning); on a terminal it goes above the progress lines.
    void Say(const std::string& text);

  private:
    void Draw();
    // The carriage-return style: the one line that the ports still going share, its drawing, and a line of
    // its own written in its place.
    std::string SharedLine() const;
    void DrawSharedLine();
    void EndSharedLine(const std::string& text);
    std::size_t Columns() const;

    std::ostream& out_;
    ProgressStyle style_;
    std::vector<std::string> names_;
    std::vector<std::string> lines_;         // what each port's line shows (terminal)
    std::vector<PortProgress> progress_;     // each port's progress last shown (carriage return)
    std::vector<std::int32_t> tenthsShown_;  // the last tenth of the blocks reported (lines)
    std::vector<bool> started_;              // the start has been reported (lines)
    std::vector<bool> ended_;
    std::function<std::size_t()> terminalColumns_;
    std::size_t drawnRows_ = 0;    // the terminal rows the lines took when they were last drawn
    std::size_t sharedWidth_ = 0;  // the characters of the shared line now on screen (carriage return)
};

}  // namespace flash410::cli
