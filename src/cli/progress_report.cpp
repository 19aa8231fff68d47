#include "cli/progress_report.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace flash410::cli {

namespace {

using std::chrono::duration_cast;
using std::chrono::seconds;

constexpr std::size_t kBlockBytes = 1031;  // what one block puts on the line

std::string PhaseText(PortPhase phase) {
    switch (phase) {
        case PortPhase::kOpening:
            return "opening the port";
        case PortPhase::kHandshake:
            return "waiting for READY";
        case PortPhase::kErasing:
            return "erasing";
        case PortPhase::kFinishing:
            return "upload done, waiting for THANK YOU";
        case PortPhase::kBlocks:
        case PortPhase::kEnded:
            break;
    }
    return {};
}

std::int32_t Percent(const PortProgress& progress) {
    return progress.BlockCount > 0 ? progress.BlocksSent * 100 / progress.BlockCount : 0;
}

}  // namespace

std::size_t Characters(const std::string& text) {
    std::size_t count = 0;
    for (const char byte : text) {
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

std::string FirstCharacters(const std::string& text, std::size_t width) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && count++ == width) {
            return text.substr(0, at);
        }
    }
    return text;
}

std::string ClockText(std::chrono::steady_clock::duration duration) {
    const auto total = duration_cast<seconds>(duration).count();
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(total / 3600),
                      static_cast<long long>(total / 60 % 60), static_cast<long long>(total % 60));
    } else {
        std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(total / 60),
                      static_cast<long long>(total % 60));
    }
    return text;
}

std::string ProgressLine(const std::string& portName, const PortProgress& progress) {
    if (progress.Phase != PortPhase::kBlocks) {
        return portName + "  " + PhaseText(progress.Phase);
    }
    std::string line = portName + "  block " + std::to_string(progress.BlocksSent) + " of " +
                       std::to_string(progress.BlockCount) + "  " + std::to_string(Percent(progress)) + " %";
    const double elapsed = std::chrono::duration<double>(progress.BlockTime).count();
    if (progress.BlocksSent > 0 && elapsed > 0) {
        const double bytesPerSecond = progress.BlocksSent * static_cast<double>(kBlockBytes) / elapsed;
        const double left =
            (progress.BlockCount - progress.BlocksSent) * static_cast<double>(kBlockBytes) / bytesPerSecond;
        line += "  " + std::to_string(static_cast<long long>(bytesPerSecond)) + " bytes/s  elapsed " +
                ClockText(progress.Elapsed) + "  left " +
                ClockText(
                    duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(left)));
    }
    return line;
}

std::string BriefProgress(const std::string& portName, const PortProgress& progress) {
    if (progress.Phase != PortPhase::kBlocks) {
        return portName + " " + PhaseText(progress.Phase);
    }
    return portName + " " + std::to_string(progress.BlocksSent) + "/" + std::to_string(progress.BlockCount) +
           " " + std::to_string(Percent(progress)) + " %";
}

ProgressReport::ProgressReport(std::ostream& out, ProgressStyle style, std::vector<std::string> portNames,
                               std::function<std::size_t()> terminalColumns)
    : out_(out),
      style_(style),
      names_(std::move(portNames)),
      lines_(names_.size()),
      progress_(names_.size()),
      tenthsShown_(names_.size(), -1),
      started_(names_.size(), false),
      ended_(names_.size(), false),
      terminalColumns_(std::move(terminalColumns)) {}

void ProgressReport::Show(const std::vector<PortProgress>& progress) {
    for (std::size_t port = 0; port < names_.size() && port < progress.size(); ++port) {
        if (ended_[port]) {
            continue;
        }
        if (style_ == ProgressStyle::kTerminal) {
            lines_[port] = ProgressLine(names_[port], progress[port]);
        } else if (style_ == ProgressStyle::kCarriageReturn) {
            progress_[port] = progress[port];
        } else if (style_ == ProgressStyle::kLines && progress[port].Phase == PortPhase::kHandshake &&
                   !started_[port]) {
            started_[port] = true;
            out_ << ProgressLine(names_[port], progress[port]) << '\n';
        } else if (style_ == ProgressStyle::kLines && progress[port].Phase == PortPhase::kBlocks) {
            const std::int32_t tenth = Percent(progress[port]) / 10;
            if (tenth != tenthsShown_[port]) {
                tenthsShown_[port] = tenth;
                out_ << ProgressLine(names_[port], progress[port]) << '\n';
            }
        }
    }
    if (style_ == ProgressStyle::kTerminal) {
        Draw();
    } else if (style_ == ProgressStyle::kCarriageReturn) {
        DrawSharedLine();
    }
    out_.flush();
}

void ProgressReport::ShowEnd(std::size_t port, const std::string& finalText) {
    ended_[port] = true;
    const std::string line = names_[port] + ": " + finalText;
    if (style_ == ProgressStyle::kTerminal) {
        lines_[port] = line;
        Draw();
    } else if (style_ == ProgressStyle::kCarriageReturn) {
        EndSharedLine(line);
    } else {
        out_ << line << '\n';
    }
    out_.flush();
}

void ProgressReport::Say(const std::string& text) {
    if (style_ == ProgressStyle::kCarriageReturn) {
        EndSharedLine(text);
        out_.flush();
        return;
    }
    if (style_ == ProgressStyle::kTerminal && drawnRows_ > 0) {
        // Up over the progress lines, the text in their place, and the lines drawn again below it.
        out_ << "\x1b[" << drawnRows_ << "A\r\x1b[J";
        drawnRows_ = 0;
    }
    out_ << text << '\n';
    if (style_ == ProgressStyle::kTerminal) {
        Draw();
    }
    out_.flush();
}

std::size_t ProgressReport::Columns() const {
    return terminalColumns_ ? terminalColumns_() : 0;
}

void ProgressReport::Draw() {
    const std::size_t columns = Columns();
    const std::size_t rowsBefore = std::exchange(drawnRows_, 0);
    if (rowsBefore > 0) {
        out_ << "\x1b[" << rowsBefore << 'A';
    }
    for (std::size_t port = 0; port < lines_.size(); ++port) {
        // A progress line keeps to one row, short of the last column; a port's final line is said whole,
        // over as many rows as it takes.
        const std::string line =
            !ended_[port] && columns > 1 ? FirstCharacters(lines_[port], columns - 1) : lines_[port];
        out_ << "\r\x1b[2K" << line << '\n';
        const std::size_t width = Characters(line);
        drawnRows_ += columns > 0 && width > columns ? (width + columns - 1) / columns : 1;
    }
    if (drawnRows_ < rowsBefore) {
        out_ << "\x1b[J";  // what the longer drawing before left below
    }
}

std::string ProgressReport::SharedLine() const {
    std::vector<std::size_t> going;
    for (std::size_t port = 0; port < names_.size(); ++port) {
        if (!ended_[port]) {
            going.push_back(port);
        }
    }
    if (going.size() == 1) {
        return ProgressLine(names_[going.front()], progress_[going.front()]);
    }
    std::string line;
    for (const std::size_t port : going) {
        line += (line.empty() ? "" : " | ") + BriefProgress(names_[port], progress_[port]);
    }
    return line;
}

// Back to the start of the line and over what is there: a shorter line is followed by blanks as wide as
// what it replaces, since nothing but a carriage return can be relied on. The line keeps short of the last
// column, where a console would wrap it onto a row the next carriage return cannot reach.
void ProgressReport::DrawSharedLine() {
    std::string line = SharedLine();
    if (line.empty()) {
        return;  // every port has ended, each on a line of its own
    }
    const std::size_t columns = Columns();
    if (columns > 1) {
        line = FirstCharacters(line, columns - 1);
    }
    const std::size_t width = Characters(line);
    const std::size_t covered = columns > 1 ? std::min(sharedWidth_, columns - 1) : sharedWidth_;
    out_ << '\r' << line << std::string(covered > width ? covered - width : 0, ' ');
    sharedWidth_ = width;
}

// A line of its own in place of the shared line, which is drawn again below it when it was on screen.
void ProgressReport::EndSharedLine(const std::string& text) {
    const bool drawn = sharedWidth_ > 0;
    const std::size_t width = Characters(text);
    out_ << (drawn ? "\r" : "") << text << std::string(sharedWidth_ > width ? sharedWidth_ - width : 0, ' ')
         << '\n';
    sharedWidth_ = 0;
    if (drawn && std::find(ended_.begin(), ended_.end(), false) != ended_.end()) {
        DrawSharedLine();
    }
}

}  // namespace flash410::cli
