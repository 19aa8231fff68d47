#include "cli/station.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace flash410::cli {

namespace {

using Clock = std::chrono::steady_clock;

bool SameAdapter(const serial::UsbIdentity& first, const serial::UsbIdentity& second) {
    return first.VendorId == second.VendorId && first.ProductId == second.ProductId &&
           first.SerialNumber == second.SerialNumber;
}

bool SameDevice(const std::string& first, const std::string& second) {
    if (first == second) {
        return true;
    }
    std::error_code error;
    return std::filesystem::equivalent(first, second, error);
}

std::string AdapterText(const serial::UsbIdentity& adapter) {
    return adapter.VendorId + ":" + adapter.ProductId +
           (adapter.SerialNumber.empty() ? std::string() : " " + adapter.SerialNumber);
}

// How an upload that the modem answered ended, as the station counts it. One that never got an answer
// touched no modem and is not counted.
std::optional<StationEnd> EndOf(const PortUpload& upload, bool adapterGone) {
    if (!upload.ModemAnswered()) {
        return std::nullopt;
    }
    switch (*upload.Outcome()) {
        case upload::UploadOutcome::kComplete:
            return StationEnd::kComplete;
        case upload::UploadOutcome::kStopped:
            return adapterGone ? StationEnd::kLost : StationEnd::kStopped;
        case upload::UploadOutcome::kConnectionLost:
            return StationEnd::kLost;
        default:
            return adapterGone ? StationEnd::kLost : StationEnd::kFailed;
    }
}

}  // namespace

std::string CountsText(const StationCounts& counts) {
    std::string text = std::to_string(counts.Complete) + " complete, " + std::to_string(counts.Failed) +
                       " failed, " + std::to_string(counts.Lost) + " lost";
    if (counts.Stopped > 0) {
        text += ", " + std::to_string(counts.Stopped) + " stopped";
    }
    return text;
}

struct Station::Bay {
    PortTarget Target;
    std::optional<serial::UsbIdentity> Adapter;
    std::string Port;
    std::string Device;
    BayStage Stage = BayStage::kWaitingForModem;
    std::unique_ptr<PortUpload> Upload;
    std::size_t UploadNumber = 0;
    Clock::time_point LastTick{};
    std::unique_ptr<SilenceProbe> Probe;
    Clock::time_point LastAsk{};
    std::optional<StationEnd> LastEnd;
    std::string Problem;
    bool AdapterGone = false;

    bool UploadUnderWay() const { return Upload && !Upload->Ended(); }
};

Station::Station(StationSettings settings, serial::PostToUiThread postToLoop, StationObserver& observer)
    : settings_(std::move(settings)), postToLoop_(std::move(postToLoop)), observer_(observer) {
    const Clock::time_point now = Clock::now();
    for (const PortTarget& target : settings_.Named) {
        OpenBay(target, std::nullopt, target.Name(), now);
    }
}

Station::~Station() {
    StopAll();
}

bool Station::NamedDevice(const std::string& device) const {
    return std::any_of(settings_.Named.begin(), settings_.Named.end(), [&](const PortTarget& target) {
        PortUploadSettings named = settings_.Upload;
        named.Port = target;
        return SameDevice(named.DevicePath(), device);
    });
}

void Station::OpenBay(PortTarget target, std::optional<serial::UsbIdentity> adapter, std::string port,
                      Clock::time_point now) {
    auto bay = std::make_unique<Bay>();
    bay->Target = std::move(target);
    bay->Adapter = std::move(adapter);
    bay->Port = std::move(port);
    bay->Device = bay->Target.DevicePath;
    observer_.BayOpened(ViewOf(*bay));
    StartUpload(*bay, now);
    bays_.push_back(std::move(bay));
}

void Station::SeePorts(std::span<const serial::PortDescription> present, Clock::time_point now) {
    if (stopped_) {
        return;
    }
    for (const auto& bay : bays_) {
        if (!bay->Adapter || bay->AdapterGone) {
            continue;
        }
        bay->AdapterGone =
            std::none_of(present.begin(), present.end(), [&](const serial::PortDescription& port) {
                return port.Usb && port.Device == bay->Device && SameAdapter(*port.Usb, *bay->Adapter);
            });
        // An upload that no modem has answered yet is only the request repeating: it goes with its adapter.
        if (bay->AdapterGone && bay->UploadUnderWay() && !bay->Upload->ModemAnswered()) {
            bay->Upload->Stop();
        }
    }
    RunDue(now);  // ends what the stops above ended, and closes the bays whose adapter went
    for (const serial::PortDescription& port : present) {
        if (port.Kind != serial::PortKind::kUsbAdapter || !port.Usb || NamedDevice(port.Device)) {
            continue;
        }
        const auto selector =
            std::find_if(settings_.Adapters.begin(), settings_.Adapters.end(),
                         [&](const UsbSelector& wanted) { return wanted.Matches(*port.Usb); });
        const bool known = std::any_of(bays_.begin(), bays_.end(), [&](const auto& bay) {
            return !bay->AdapterGone && bay->Device == port.Device;
        });
        if (selector == settings_.Adapters.end() || known) {
            continue;
        }
        const std::string name = settings_.ComDeviceNames && port.ComNumber > 0
                                     ? "COM" + std::to_string(port.ComNumber)
                                     : port.Device;
        OpenBay(PortTarget{0, port.Device, *selector, port.Usb}, port.Usb, name, now);
    }
    for (const auto& bay : bays_) {
        if (bay->Stage == BayStage::kUnavailable && !bay->AdapterGone) {
            StartUpload(*bay, now);
        }
    }
}

void Station::StartUpload(Bay& bay, Clock::time_point now) {
    PortUploadSettings settings = settings_.Upload;
    settings.Port = bay.Target;
    if (bay.Adapter && !bay.Adapter->SerialNumber.empty()) {
        settings.AdapterSerial = bay.Adapter->SerialNumber;
    }
    bay.Upload = std::make_unique<PortUpload>(std::move(settings), postToLoop_);
    // What happens while the port opens is told once the upload is known to have begun.
    std::vector<session::SessionEvent> opening;
    bool begun = false;
    bay.Upload->ObserveEvents([this, &bay, &opening, &begun](const session::SessionEvent& event) {
        if (begun) {
            observer_.UploadEvent(bay.UploadNumber, event);
        } else {
            opening.push_back(event);
        }
    });
    bay.Upload->Begin();
    if (bay.Upload->OpenFailed()) {
        const std::string problem = bay.Upload->FinalText();
        bay.Upload.reset();
        const bool changed = bay.Stage != BayStage::kUnavailable || bay.Problem != problem;
        bay.Stage = BayStage::kUnavailable;
        bay.Problem = problem;
        if (changed) {
            observer_.BayUnavailable(ViewOf(bay));
        }
        return;
    }
    bay.Problem.clear();
    bay.Stage = BayStage::kWaitingForModem;
    bay.UploadNumber = uploadsBegun_++;
    bay.LastTick = now;
    observer_.UploadBegan(bay.UploadNumber, bay.Target.Name());
    begun = true;
    for (const session::SessionEvent& event : opening) {
        observer_.UploadEvent(bay.UploadNumber, event);
    }
    bay.Upload->ObserveEvents(
        [this, &bay](const session::SessionEvent& event) { observer_.UploadEvent(bay.UploadNumber, event); });
}

void Station::EndUpload(Bay& bay, Clock::time_point now) {
    const std::optional<StationEnd> end = EndOf(*bay.Upload, bay.AdapterGone);
    if (end) {
        bay.LastEnd = end;
        switch (*end) {
            case StationEnd::kComplete:
                ++counts_.Complete;
                break;
            case StationEnd::kFailed:
                ++counts_.Failed;
                break;
            case StationEnd::kLost:
                ++counts_.Lost;
                break;
            case StationEnd::kStopped:
                ++counts_.Stopped;
                break;
        }
    }
    observer_.UploadEnded(bay.UploadNumber, *bay.Upload, end, counts_);
    if (!end) {
        // No modem answered: the port is asked again at the next look at the ports, unless it went.
        bay.Stage = BayStage::kUnavailable;
        bay.Problem = bay.Upload->FinalText();
    } else if (bay.Adapter) {
        bay.Stage = BayStage::kWaitingForUnplug;
    } else {
        bay.Stage = BayStage::kWaitingForQuiet;
        if (!stopped_) {
            PortUploadSettings port = settings_.Upload;
            port.Port = bay.Target;
            bay.Probe =
                std::make_unique<SilenceProbe>(port.LinkFolder, port.Choice(), port.Baud, port.Request,
                                               postToLoop_, settings_.QuietBeforeNext, now);
            bay.LastAsk = now - SilenceProbe::kAskInterval;
        }
    }
}

Clock::time_point Station::RunDue(Clock::time_point now) {
    Clock::time_point next = Clock::time_point::max();
    for (const auto& bay : bays_) {
        if (bay->UploadUnderWay()) {
            if (now >= bay->LastTick + bay->Upload->TickInterval()) {
                bay->Upload->Tick();
                bay->LastTick = now;
            }
            if (bay->Stage == BayStage::kWaitingForModem && bay->Upload->ModemAnswered()) {
                bay->Stage = BayStage::kUploading;
            }
        }
        if (bay->Upload) {
            const std::string name = bay->Target.Name();
            if (const std::string warning = bay->Upload->TakeWarnings(); !warning.empty()) {
                observer_.Warning(name, warning);
            }
            if (const std::string problem = bay->Upload->TakeHistoryProblems(); !problem.empty()) {
                observer_.Warning(name, problem);
            }
        }
        if (bay->Upload && bay->Upload->Ended() &&
            (bay->Stage == BayStage::kWaitingForModem || bay->Stage == BayStage::kUploading)) {
            EndUpload(*bay, now);
        }
        if (bay->UploadUnderWay()) {
            next = std::min(next, bay->LastTick + bay->Upload->TickInterval());
        }
        if (bay->Probe) {
            if (now >= bay->LastAsk + SilenceProbe::kAskInterval) {
                bay->Probe->Ask();
                bay->LastAsk = now;
            }
            if (bay->Probe->Quiet(now)) {
                bay->Probe.reset();
                StartUpload(*bay, now);
                if (bay->UploadUnderWay()) {
                    next = std::min(next, bay->LastTick + bay->Upload->TickInterval());
                }
            } else {
                next = std::min(next, bay->LastAsk + SilenceProbe::kAskInterval);
            }
        }
    }
    // A bay whose adapter went is closed once nothing goes on there any more.
    for (auto bay = bays_.begin(); bay != bays_.end();) {
        if ((*bay)->AdapterGone && !(*bay)->UploadUnderWay()) {
            observer_.BayClosed(ViewOf(**bay));
            bay = bays_.erase(bay);
        } else {
            ++bay;
        }
    }
    return next;
}

void Station::StopAll() {
    if (std::exchange(stopped_, true)) {
        return;
    }
    for (const auto& bay : bays_) {
        bay->Probe.reset();
        if (bay->UploadUnderWay()) {
            bay->Upload->Stop();
            EndUpload(*bay, Clock::now());
        }
    }
}

bool Station::Uploading() const {
    return std::any_of(bays_.begin(), bays_.end(),
                       [](const auto& bay) { return bay->Stage == BayStage::kUploading; });
}

std::vector<BayView> Station::Bays() const {
    std::vector<BayView> views;
    for (const auto& bay : bays_) {
        views.push_back(ViewOf(*bay));
    }
    return views;
}

BayView Station::ViewOf(const Bay& bay) const {
    BayView view;
    view.Port = bay.Port;
    view.Adapter = bay.Adapter ? AdapterText(*bay.Adapter) : std::string();
    view.Stage = bay.Stage;
    if (bay.Upload) {
        view.Progress = bay.Upload->Progress();
    }
    view.LastEnd = bay.LastEnd;
    view.Problem = bay.Problem;
    return view;
}

}  // namespace flash410::cli
