#include "cli/upload_command.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "cli/event_loop.h"
#include "cli/json_report.h"
#include "cli/port_upload.h"
#include "cli/progress_report.h"
#include "cli/ready_image.h"
#include "cli/stop_request.h"
#include "cli/upload_help.h"
#include "cli/upload_options.h"
#include "platform/utf8_path.h"

namespace flash410::cli {

namespace {

using Clock = std::chrono::steady_clock;

// Two names for one file: the same file where both exist, the same full path where one does not (yet).
bool SameFile(const std::string& firstName, const std::string& secondName) {
    namespace fs = std::filesystem;
    const fs::path first = platform::PathFromUtf8(firstName);
    const fs::path second = platform::PathFromUtf8(secondName);
    std::error_code error;
    if (fs::equivalent(first, second, error)) {
        return true;
    }
    const auto normal = [](const fs::path& path) {
        std::error_code failed;
        fs::path full = fs::weakly_canonical(path, failed);
        return failed ? fs::absolute(path, failed).lexically_normal() : full;
    };
    return normal(first) == normal(second);
}

// What makes the ports' settings unsafe to start with, or nothing: a device named twice (a COM number and
// the path it leads to) would be found busy with this very upload; a capture file written into the
// firmware's files would damage them; two ports writing one capture file would mix their lines.
std::optional<std::string> RefusedSettings(const std::vector<PortUploadSettings>& ports,
                                           const ReadyImage& ready, const std::string& firmware) {
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const std::string device = ports[i].DevicePath();
        for (std::size_t j = 0; j < i; ++j) {
            if (!device.empty() && SameFile(device, ports[j].DevicePath())) {
                return "--port " + ports[j].Port.Name() + " and --port " + ports[i].Port.Name() +
                       " are one device, " + device + ": each modem needs a port of its own";
            }
        }
        if (!ports[i].CapturePath) {
            continue;
        }
        const std::string& capture = *ports[i].CapturePath;
        for (const std::string& file : {firmware, ready.ImagePath, ready.BinaryPath}) {
            if (!file.empty() && SameFile(capture, file)) {
                return "The capture file " + capture + " is the firmware file " + file +
                       ": the capture would be written into it. Choose another capture file";
            }
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (ports[j].CapturePath && SameFile(capture, *ports[j].CapturePath)) {
                return "Ports " + ports[j].Port.Name() + " and " + ports[i].Port.Name() +
                       " would write one capture file, " + capture + ": choose a folder for the captures";
            }
        }
    }
    return std::nullopt;
}

ProgressStyle StyleFor(const UploadOptions& options, const UploadContext& context) {
    if (options.Quiet) {
        return ProgressStyle::kQuiet;
    }
    switch (context.terminal) {
        case TerminalControl::kCursorCodes:
            return ProgressStyle::kTerminal;
        case TerminalControl::kCarriageReturn:
            return ProgressStyle::kCarriageReturn;
        case TerminalControl::kNone:
            break;
    }
    return ProgressStyle::kLines;
}

int UploadToPorts(const UploadOptions& options, const ReadyImage& ready, const UploadContext& context,
                  const std::function<bool()>& stopRequested, std::ostream& out, std::ostream& err) {
    std::vector<PortUploadSettings> portSettings;
    for (const PortTarget& target : options.Ports) {
        PortUploadSettings settings;
        settings.Port = target;
        settings.Baud = options.Baud;
        settings.Request = options.Request;
        settings.Limits = LimitsForTimeout(options.TimeoutSeconds);
        settings.Image = {ready.Bytes, ready.ImagePath, ready.BlockCount, ready.ChecksumText, options.File};
        if (options.CapturePath) {
            settings.CapturePath = CapturePathForPort(*options.CapturePath, target, options.Ports.size() > 1);
        }
        settings.LinkFolder = context.linkFolder;
        settings.HistoryFile = context.historyFile;
        if (target.Adapter && !target.Adapter->SerialNumber.empty()) {
            settings.AdapterSerial = target.Adapter->SerialNumber;
        }
        portSettings.push_back(std::move(settings));
    }
    if (const std::optional<std::string> refusal = RefusedSettings(portSettings, ready, options.File)) {
        err << *refusal << '\n';
        return kExitUsage;
    }
    EventLoop loop;
    std::vector<std::unique_ptr<PortUpload>> ports;
    std::vector<std::string> names;
    for (PortUploadSettings& settings : portSettings) {
        names.push_back(settings.Port.Name());
        ports.push_back(std::make_unique<PortUpload>(std::move(settings), loop.Poster()));
    }
    // Every capture file opens before anything is sent, so that none of the logs asked for is missing.
    for (const auto& port : ports) {
        if (const std::optional<std::string> problem = port->OpenCapture()) {
            err << *problem << '\n';
            return kExitUsage;
        }
    }

    // With --json the text report stays quiet: its end lines give way to the JSON ends, and what it would
    // say between the lines goes to err, so that every line of out is JSON.
    ProgressReport report(out, options.Json ? ProgressStyle::kQuiet : StyleFor(options, context), names,
                          context.terminalColumns);
    std::optional<JsonReport> json;
    if (options.Json) {
        json.emplace(out, names);
        for (std::size_t i = 0; i < ports.size(); ++i) {
            ports[i]->ObserveEvents([&json, i](const session::SessionEvent& event) { json->Show(i, event); });
        }
    }
    const auto say = [&](const std::string& text) {
        if (json) {
            err << text << '\n';
        } else {
            report.Say(text);
        }
    };
    // A port's record went to the history as its upload ended; a record that could not be written is said
    // and changes nothing of the upload's result.
    const auto endPort = [&](std::size_t i) {
        const std::optional<history::UploadRecord>& record = ports[i]->Record();
        if (json) {
            json->ShowEnd(i, record, ports[i]->ExitStatus(), ports[i]->FinalText());
        } else {
            report.ShowEnd(i, ports[i]->FinalText());
        }
    };
    // The next tick comes an interval after the last; a reply that changed the interval moves it.
    std::vector<Clock::time_point> lastTick(ports.size(), Clock::time_point{});
    std::vector<bool> endShown(ports.size(), false);
    Clock::time_point lastDrawn{};
    for (const auto& port : ports) {
        port->Begin();
    }
    for (;;) {
        if (stopRequested()) {
            for (const auto& port : ports) {
                port->Stop();
            }
        }
        Clock::time_point now = Clock::now();
        for (std::size_t i = 0; i < ports.size(); ++i) {
            if (!ports[i]->Ended() && now >= lastTick[i] + ports[i]->TickInterval()) {
                ports[i]->Tick();
                lastTick[i] = now;
            }
        }
        bool allEnded = true;
        for (std::size_t i = 0; i < ports.size(); ++i) {
            if (const std::string warning = ports[i]->TakeWarnings(); !warning.empty()) {
                say(names[i] + ": " + warning);
            }
            if (const std::string problem = ports[i]->TakeHistoryProblems(); !problem.empty()) {
                err << names[i] << ": " << problem << '\n';
            }
            if (ports[i]->Ended() && !endShown[i]) {
                endPort(i);
                endShown[i] = true;
            }
            allEnded = allEnded && ports[i]->Ended();
        }
        if (allEnded) {
            break;
        }
        now = Clock::now();
        if (!json && now - lastDrawn >= kTerminalRedraw) {
            std::vector<PortProgress> progress;
            for (const auto& port : ports) {
                progress.push_back(port->Progress());
            }
            report.Show(progress);
            lastDrawn = now;
        }
        Clock::time_point wake = now + kLongestLoopSleep;
        for (std::size_t i = 0; i < ports.size(); ++i) {
            if (!ports[i]->Ended()) {
                wake = std::min(wake, lastTick[i] + ports[i]->TickInterval());
            }
        }
        loop.RunUntil(wake);
    }
    int status = kExitSuccess;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        ports[i]->Stop();  // the port closed and the capture file written out, which may still fail
        if (const std::string warning = ports[i]->TakeWarnings(); !warning.empty()) {
            say(names[i] + ": " + warning);
        }
        if (const std::string problem = ports[i]->TakeHistoryProblems(); !problem.empty()) {
            err << names[i] << ": " << problem << '\n';
        }
        status = std::max(status, ports[i]->ExitStatus());
    }
    ports.clear();  // every port closed before what their threads posted last is let through
    loop.RunPending();
    return status;
}

// The ports present, looked at only when a port is named by its USB adapter: listing them reads every
// process's open files to tell which are in use.
std::vector<serial::PortDescription> PresentPorts(const UploadOptions& options,
                                                  const UploadContext& context) {
    if (std::none_of(options.Ports.begin(), options.Ports.end(),
                     [](const PortTarget& port) { return port.Usb.has_value(); })) {
        return {};
    }
    if (context.listPorts) {
        return context.listPorts();
    }
    serial::InventoryRoots roots;
    roots.LinkFolder = context.linkFolder;
    return serial::ListPorts(roots);
}

}  // namespace

int RunUpload(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
              const UploadContext& context) {
    const ParsedUpload parsed = ParseUploadOptions(arguments);
    if (std::holds_alternative<HelpRequested>(parsed)) {
        out << UploadHelp(ThisSystem());
        return kExitSuccess;
    }
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        return RefuseArguments(err, "upload", *problem);
    }
    UploadOptions options = std::get<UploadOptions>(parsed);
    if (const std::optional<UsbSelectionRefusal> refusal =
            ResolveUsbPorts(options.Ports, PresentPorts(options, context))) {
        const int status = RefuseArguments(err, "upload", refusal->Problem);
        if (!refusal->Candidates.empty()) {
            err << "USB adapters present:\n";
        }
        for (const std::string& candidate : refusal->Candidates) {
            err << candidate << '\n';
        }
        return status;
    }
    const StopRequest stop(context.stopRequested);
    const std::function<bool()>& stopRequested = stop.AsFunction();
    std::variant<ReadyImage, int> prepared =
        ReadyToSend(options.File, options.ExpectedImageSha256, stopRequested, err);
    if (const int* status = std::get_if<int>(&prepared)) {
        return *status;
    }
    const ReadyImage& ready = std::get<ReadyImage>(prepared);
    if (!options.Quiet && !options.Json) {
        out << "Upload image: " << ready.ImagePath << " (" << ready.BlockCount << " blocks, checksum "
            << ready.ChecksumText << ")\n";
    }
    return UploadToPorts(options, ready, context, stopRequested, out, err);
}

CliCommand UploadCommand(UploadContext context) {
    return CliCommand{
        "upload", "[--port P]... [OPTIONS] FILE",
        "Uploads the firmware FILE into the modem on each port given; `upload --help` tells more.",
        [context = std::move(context)](std::span<const std::string> arguments, std::ostream& out,
                                       std::ostream& err) {
            return RunUpload(arguments, out, err, context);
        }};
}

}  // namespace flash410::cli
