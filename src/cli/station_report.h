// What the station shows. On a terminal that moves the cursor: a table with a row for each port (adapter,
// the modem's state, the block, the last result, the upload's time) and the counts below it, redrawn in
// place, with a line above it for each thing that happened. Into a file or a pipe, or on a console that
// cannot move the cursor: only those lines. With --json: the events of `upload --json`, and a "station"
// object with the counts at the end.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/json_report.h"
#include "cli/station.h"
#include "platform/time_of_day.h"

namespace flash410::cli {

enum class StationStyle { kTable, kLines, kJson };

// The table's rows, the header first and the counts last, each as wide as its columns need.
std::vector<std::string> StationTable(const std::vector<BayView>& bays, const StationCounts& counts);

class StationReport final : public StationObserver {
  public:
    // timeOfDay stamps each line; terminalColumns, when given, cuts the table's rows to the terminal.
    // With --json, what is said besides the events goes to err, so that every line of out is JSON.
    StationReport(std::ostream& out, std::ostream& err, StationStyle style,
                  platform::TimeOfDayClock timeOfDay, std::function<std::size_t()> terminalColumns = {});

    // The table drawn again (a terminal only).
    void Show(const std::vector<BayView>& bays, const StationCounts& counts);
    // The station has stopped: the totals.
    void ShowTotals(const StationCounts& counts);
    // A line of its own, above the table.
    void Say(const std::string& text);

    void BayOpened(const BayView& bay) override;
    void UploadBegan(std::size_t upload, const std::string& name) override;
    void UploadEvent(std::size_t upload, const session::SessionEvent& event) override;
    void UploadEnded(std::size_t upload, const PortUpload& ended, std::optional<StationEnd> end,
                     const StationCounts& counts) override;
    void BayUnavailable(const BayView& bay) override;
    void BayClosed(const BayView& bay) override;
    void Warning(const std::string& name, const std::string& text) override;

  private:
    void SayStamped(const std::string& text);
    void Draw();

    std::ostream& out_;
    std::ostream& err_;
    StationStyle style_;
    platform::TimeOfDayClock timeOfDay_;
    std::function<std::size_t()> terminalColumns_;
    std::optional<JsonReport> json_;
    std::vector<std::string> uploadNames_;
    std::vector<std::string> rows_;  // the table last drawn
    std::size_t drawnRows_ = 0;
};

}  // namespace flash410::cli
