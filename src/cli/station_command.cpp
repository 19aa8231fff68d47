#include "cli/station_command.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <stdexcept>

#include "cli/event_loop.h"
#include "cli/ready_image.h"
#include "cli/station.h"
#include "cli/station_options.h"
#include "cli/station_report.h"
#include "cli/stop_request.h"
#include "history/record_log_entry.h"
#include "platform/sha256.h"
#include "platform/system_log.h"
#include "serial/adapter_watch.h"

namespace flash410::cli {

namespace {

using Clock = std::chrono::steady_clock;

// The report, and each ended upload's record into the system's log.
class LoggingObserver final : public StationObserver {
  public:
    LoggingObserver(StationReport& report,
                    std::function<std::optional<std::string>(const history::UploadRecord&)> log)
        : report_(report), log_(std::move(log)) {}

    void BayOpened(const BayView& bay) override { report_.BayOpened(bay); }
    void UploadBegan(std::size_t upload, const std::string& name) override {
        report_.UploadBegan(upload, name);
    }
    void UploadEvent(std::size_t upload, const session::SessionEvent& event) override {
        report_.UploadEvent(upload, event);
    }
    void UploadEnded(std::size_t upload, const PortUpload& ended, std::optional<StationEnd> end,
                     const StationCounts& counts) override {
        report_.UploadEnded(upload, ended, end, counts);
        if (!ended.Record() || !ended.ModemAnswered()) {
            return;  // only the request went out: no modem's upload to record
        }
        // A log that does not take the records (none runs here) is said once, not at every upload.
        std::optional<std::string> problem = log_(*ended.Record());
        if (problem && problem != lastProblem_) {
            report_.Warning(ended.Port().Name(), *problem);
        }
        lastProblem_ = std::move(problem);
    }
    void BayUnavailable(const BayView& bay) override { report_.BayUnavailable(bay); }
    void BayClosed(const BayView& bay) override { report_.BayClosed(bay); }
    void Warning(const std::string& name, const std::string& text) override { report_.Warning(name, text); }

  private:
    StationReport& report_;
    std::function<std::optional<std::string>(const history::UploadRecord&)> log_;
    std::optional<std::string> lastProblem_;
};

StationStyle StyleFor(const StationOptions& options, const StationContext& context) {
    if (options.Json) {
        return StationStyle::kJson;
    }
    return context.upload.terminal == TerminalControl::kCursorCodes ? StationStyle::kTable
                                                                    : StationStyle::kLines;
}

std::string WatchedText(const StationOptions& options) {
    std::string text;
    for (const UsbSelector& adapters : options.Adapters) {
        text += (text.empty() ? "" : ", ") + adapters.Text();
    }
    for (const PortTarget& port : options.Named) {
        text += (text.empty() ? "" : ", ") + port.Name();
    }
    return text;
}

int ExitStatusOf(const StationCounts& counts) {
    if (counts.Failed > 0 || counts.Lost > 0) {
        return kExitFailure;
    }
    return counts.Stopped > 0 ? kExitStopped : kExitSuccess;
}

}  // namespace

int RunStation(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
               const StationContext& context) {
    const ParsedStation parsed = ParseStationOptions(arguments);
    if (std::holds_alternative<HelpRequested>(parsed)) {
        out << StationHelp(ThisSystem());
        return kExitSuccess;
    }
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        return RefuseArguments(err, "station", *problem);
    }
    const StationOptions& options = std::get<StationOptions>(parsed);
    const StopRequest stop(context.upload.stopRequested);
    const std::function<bool()>& stopRequested = stop.AsFunction();
    std::variant<ReadyImage, int> prepared =
        ReadyToSend(options.File, options.ExpectedImageSha256, stopRequested, err);
    if (const int* status = std::get_if<int>(&prepared)) {
        return *status;
    }
    const ReadyImage& ready = std::get<ReadyImage>(prepared);
    std::string digest;
    try {
        digest = platform::Sha256Hex(*ready.Bytes);
    } catch (const std::runtime_error&) {
        digest = "unavailable";
    }

    const StationStyle style = StyleFor(options, context);
    StationReport report(
        out, err, style,
        context.timeOfDay ? context.timeOfDay : platform::TimeOfDayClock(platform::LocalTimeOfDaySeconds),
        context.upload.terminalColumns);
    report.Say("Station: " + ready.ImagePath + " (" + std::to_string(ready.BlockCount) +
               " blocks, checksum " + ready.ChecksumText + ", SHA-256 " + digest + "); watching " +
               WatchedText(options) + "; " + std::string(ThisSystem().StopRequests) + " stops it");

    std::optional<platform::SystemLog> systemLog;
    std::function<std::optional<std::string>(const history::UploadRecord&)> logRecord = context.logRecord;
    if (!logRecord) {
        systemLog.emplace("flash410-cli");
        logRecord = [&systemLog](const history::UploadRecord& record) {
            return systemLog->Write(history::RecordLogEntry(record));
        };
    }
    LoggingObserver observer(report, logRecord);

    StationSettings settings;
    settings.Named = options.Named;
    settings.Adapters = options.Adapters;
    settings.Upload.Baud = options.Baud;
    settings.Upload.Request = options.Request;
    settings.Upload.Limits = StationLimits(options.TimeoutSeconds);
    settings.Upload.Image = {ready.Bytes, ready.ImagePath, ready.BlockCount, ready.ChecksumText,
                             options.File};
    settings.Upload.LinkFolder = context.upload.linkFolder;
    settings.Upload.HistoryFile = context.upload.historyFile;
    settings.Upload.RecordUnanswered = false;
    settings.QuietBeforeNext = context.quietBeforeNext;
    settings.ComDeviceNames = ThisSystem().ComDeviceNames;

    serial::InventoryRoots roots;
    roots.LinkFolder = context.upload.linkFolder;
    const auto listPorts = [&] {
        return context.upload.listPorts ? context.upload.listPorts() : serial::ListPorts(roots);
    };

    EventLoop loop;
    std::atomic<bool> portsChanged{false};
    auto station = std::make_unique<Station>(std::move(settings), loop.Poster(), observer);
    // The system's news of adapters coming and going, where it gives any: the ports are looked at again at
    // once rather than at the next slow look.
    const serial::AdapterWatch watch([&portsChanged, &loop] {
        portsChanged = true;
        loop.Wake();
    });
    Clock::time_point nextLook{};
    Clock::time_point lastDrawn{};
    while (!stopRequested()) {
        Clock::time_point now = Clock::now();
        if (portsChanged.exchange(false) || now >= nextLook) {
            station->SeePorts(listPorts(), now);
            nextLook = now + context.lookInterval;
        }
        const Clock::time_point due = station->RunDue(now);
        now = Clock::now();
        if (style == StationStyle::kTable && now - lastDrawn >= kTerminalRedraw) {
            report.Show(station->Bays(), station->Counts());
            lastDrawn = now;
        }
        loop.RunUntil(std::min({due, nextLook, now + kLongestLoopSleep}));
    }
    station->StopAll();
    report.Show(station->Bays(), station->Counts());
    const StationCounts counts = station->Counts();
    station.reset();  // every port closed before what their threads posted last is let through
    loop.RunPending();
    report.ShowTotals(counts);
    return ExitStatusOf(counts);
}

CliCommand StationCommand(StationContext context) {
    return CliCommand{
        "station", "[--ports P]... [OPTIONS] FILE",
        "Flashes every modem connected to the ports watched, one firmware, until stopped; `station --help`.",
        [context = std::move(context)](std::span<const std::string> arguments, std::ostream& out,
                                       std::ostream& err) {
            return RunStation(arguments, out, err, context);
        }};
}

}  // namespace flash410::cli
