#include "progress_report.h"

#include <cstdio>

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
        const double left = (progress.BlockCount - progress.BlocksSent) * static_cast<double>(kBlockBytes) /
                            bytesPerSecond;
        line += "  " + std::to_string(static_cast<long long>(bytesPerSecond)) + " bytes/s  elapsed " +
                ClockText(progress.Elapsed) + "  left " +
                ClockText(duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(left)));
    }
    return line;
}

ProgressReport::ProgressReport(std::ostream& out, ProgressStyle style, std::vector<std::string> portNames)
    : out_(out),
      style_(style),
      names_(std::move(portNames)),
      lines_(names_.size()),
      tenthsShown_(names_.size(), -1),
      started_(names_.size(), false),
      ended_(names_.size(), false) {}

void ProgressReport::Show(const std::vector<PortProgress>& progress) {
    for (std::size_t port = 0; port < names_.size() && port < progress.size(); ++port) {
        if (ended_[port]) {
            continue;
        }
        if (style_ == ProgressStyle::kTerminal) {
            lines_[port] = ProgressLine(names_[port], progress[port]);
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
    }
    out_.flush();
}

void ProgressReport::ShowEnd(std::size_t port, const std::string& finalText) {
    ended_[port] = true;
    const std::string line = names_[port] + ": " + finalText;
    if (style_ == ProgressStyle::kTerminal) {
        lines_[port] = line;
        Draw();
    } else {
        out_ << line << '\n';
    }
    out_.flush();
}

void ProgressReport::Say(const std::string& text) {
    if (style_ == ProgressStyle::kTerminal && drawn_) {
        // Up over the progress lines, the text in their place, and the lines drawn again below it.
        out_ << "\x1b[" << lines_.size() << "A\r\x1b[J";
        drawn_ = false;
    }
    out_ << text << '\n';
    if (style_ == ProgressStyle::kTerminal) {
        Draw();
    }
    out_.flush();
}

void ProgressReport::Draw() {
    if (drawn_) {
        out_ << "\x1b[" << lines_.size() << 'A';
    }
    for (const std::string& line : lines_) {
        out_ << "\r\x1b[2K" << line << '\n';
    }
    drawn_ = true;
}

}  // namespace flash410::cli
