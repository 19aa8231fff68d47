#include "cli/station_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli/progress_report.h"

namespace flash410::cli {

namespace {

std::string ModemText(const BayView& bay) {
    switch (bay.Stage) {
        case BayStage::kWaitingForModem:
            return "waiting for the modem";
        case BayStage::kUploading:
            switch (bay.Progress.Phase) {
                case PortPhase::kErasing:
                    return "erasing";
                case PortPhase::kBlocks:
                    return "uploading";
                case PortPhase::kFinishing:
                    return "finishing";
                default:
                    return "answered";
            }
        case BayStage::kWaitingForUnplug:
            return "done: unplug it";
        case BayStage::kWaitingForQuiet:
            return "done: waiting for quiet";
        case BayStage::kUnavailable:
            return "port not open";
    }
    return {};
}

std::string EndText(std::optional<StationEnd> end) {
    if (!end) {
        return "-";
    }
    switch (*end) {
        case StationEnd::kComplete:
            return "complete";
        case StationEnd::kFailed:
            return "FAILED";
        case StationEnd::kLost:
            return "LOST";
        case StationEnd::kStopped:
            return "stopped";
    }
    return "-";
}

std::string BlockText(const PortProgress& progress) {
    if (progress.BlockCount == 0 || progress.Phase < PortPhase::kBlocks) {
        return "-";
    }
    return std::to_string(progress.BlocksSent) + " of " + std::to_string(progress.BlockCount);
}

std::string StampText(double secondsOfDay) {
    const auto seconds = static_cast<long long>(std::floor(platform::NormalizedTimeOfDay(secondsOfDay)));
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

}  // namespace

std::vector<std::string> StationTable(const std::vector<BayView>& bays, const StationCounts& counts) {
    std::vector<std::vector<std::string>> cells{{"PORT", "ADAPTER", "MODEM", "BLOCK", "RESULT", "TIME"}};
    for (const BayView& bay : bays) {
        const bool timed = bay.Progress.Elapsed > std::chrono::steady_clock::duration::zero();
        cells.push_back({bay.Port, bay.Adapter.empty() ? "-" : bay.Adapter, ModemText(bay),
                         BlockText(bay.Progress), EndText(bay.LastEnd),
                         timed ? ClockText(bay.Progress.Elapsed) : "-"});
    }
    std::vector<std::size_t> widths(cells.front().size(), 0);
    for (const auto& row : cells) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            widths[column] = std::max(widths[column], Characters(row[column]));
        }
    }
    std::vector<std::string> rows;
    for (const auto& row : cells) {
        std::string line;
        for (std::size_t column = 0; column < row.size(); ++column) {
            line += row[column];
            if (column + 1 < row.size()) {
                line += std::string(widths[column] - Characters(row[column]) + 2, ' ');
            }
        }
        rows.push_back(line);
    }
    if (bays.empty()) {
        rows.emplace_back("(no port yet: waiting for an adapter)");
    }
    rows.push_back(CountsText(counts));
    return rows;
}

StationReport::StationReport(std::ostream& out, std::ostream& err, StationStyle style,
                             platform::TimeOfDayClock timeOfDay, std::function<std::size_t()> terminalColumns)
    : out_(out),
      err_(err),
      style_(style),
      timeOfDay_(std::move(timeOfDay)),
      terminalColumns_(std::move(terminalColumns)) {
    if (style_ == StationStyle::kJson) {
        json_.emplace(out_, std::vector<std::string>{});
    }
}

void StationReport::Show(const std::vector<BayView>& bays, const StationCounts& counts) {
    if (style_ != StationStyle::kTable) {
        return;
    }
    rows_ = StationTable(bays, counts);
    Draw();
    out_.flush();
}

void StationReport::ShowTotals(const StationCounts& counts) {
    if (json_) {
        json_->WriteOwn("station", {{"complete", counts.Complete},
                                    {"failed", counts.Failed},
                                    {"lost", counts.Lost},
                                    {"stopped", counts.Stopped}});
        return;
    }
    // Below the table as it was last drawn, which stays on the screen.
    rows_.clear();
    drawnRows_ = 0;
    SayStamped("Station stopped: " + CountsText(counts));
}

void StationReport::Say(const std::string& text) {
    if (json_) {
        err_ << text << '\n';
        return;
    }
    if (drawnRows_ > 0) {
        // Up over the table, the line in its place, and the table drawn again below it.
        out_ << "\x1b[" << drawnRows_ << "A\r\x1b[J";
        drawnRows_ = 0;
    }
    out_ << text << '\n';
    if (style_ == StationStyle::kTable && !rows_.empty()) {
        Draw();
    }
    out_.flush();
}

void StationReport::SayStamped(const std::string& text) {
    Say(StampText(timeOfDay_()) + "  " + text);
}

void StationReport::Draw() {
    const std::size_t columns = terminalColumns_ ? terminalColumns_() : 0;
    if (drawnRows_ > 0) {
        out_ << "\x1b[" << drawnRows_ << 'A';
    }
    for (const std::string& row : rows_) {
        // A row keeps short of the last column: one that wrapped could not be drawn over.
        const std::string shown = columns > 1 ? FirstCharacters(row, columns - 1) : row;
        out_ << "\r\x1b[2K" << shown << '\n';
    }
    out_ << "\x1b[J";
    drawnRows_ = rows_.size();
}

void StationReport::BayOpened(const BayView& bay) {
    if (!json_) {
        SayStamped(bay.Port +
                   (bay.Adapter.empty() ? ": watched" : ": adapter " + bay.Adapter + " connected"));
    }
}

void StationReport::UploadBegan(std::size_t upload, const std::string& name) {
    if (uploadNames_.size() <= upload) {
        uploadNames_.resize(upload + 1);
    }
    uploadNames_[upload] = name;
    if (json_) {
        json_->AddPort(name);
    }
}

void StationReport::UploadEvent(std::size_t upload, const session::SessionEvent& event) {
    if (json_) {
        json_->Show(upload, event);
    } else if (std::holds_alternative<upload::events::ReadySeen>(event)) {
        SayStamped(uploadNames_.at(upload) + ": the modem answered READY, uploading");
    }
}

void StationReport::UploadEnded(std::size_t upload, const PortUpload& ended, std::optional<StationEnd> end,
                                const StationCounts& counts) {
    if (json_) {
        json_->ShowEnd(upload, ended.Record(), ended.ExitStatus(), ended.FinalText());
    } else if (end) {
        SayStamped(uploadNames_.at(upload) + ": " + ended.FinalText() + " [" + CountsText(counts) + "]");
    }
}

void StationReport::BayUnavailable(const BayView& bay) {
    if (!json_) {
        SayStamped(bay.Port + ": " + bay.Problem + " (tried again)");
    }
}

void StationReport::BayClosed(const BayView& bay) {
    if (!json_) {
        SayStamped(bay.Port + ": adapter " + bay.Adapter + " removed");
    }
}

void StationReport::Warning(const std::string& name, const std::string& text) {
    if (json_) {
        err_ << name << ": " << text << '\n';
    } else {
        SayStamped(name + ": " + text);
    }
}

}  // namespace flash410::cli
