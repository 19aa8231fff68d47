// A flashing station: one firmware image, every modem that is connected to a watched port. A port is
// watched by name (a COM number or a device path) or by the USB adapters that a selector takes
// ("usb:any", "usb:0403:6001"), which may come and go while the station runs. Each place a modem can be
// connected to is a bay: it asks for the upload as soon as its port is there (the modem may be powered
// into its loader at any time later), uploads, says the result, and then waits for the modem to go
// before it asks again: for its adapter to be pulled, or, on a port without adapter identity, for the
// line to stay quiet. Nothing here draws: what happens goes to an observer.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/port_upload.h"
#include "cli/silence_probe.h"
#include "serial/port_inventory.h"

namespace flash410::cli {

// How an upload at the station ended, as its counts say.
enum class StationEnd { kComplete, kFailed, kLost, kStopped };

struct StationCounts {
    std::int32_t Complete = 0;
    std::int32_t Failed = 0;
    std::int32_t Lost = 0;  // the adapter was pulled or the connection went during the upload
    std::int32_t Stopped = 0;
    bool operator==(const StationCounts&) const = default;
};

// "3 complete, 1 failed, 0 lost" (and the stopped ones, where there are any).
std::string CountsText(const StationCounts& counts);

// Where a bay stands, for the table.
enum class BayStage {
    kWaitingForModem,   // the port is open and the upload request repeats
    kUploading,         // the modem answered READY: erase, blocks, the end
    kWaitingForUnplug,  // done with this modem: its adapter is to be pulled
    kWaitingForQuiet,   // done with this modem: the line is to stay quiet
    kUnavailable,       // the port does not open (busy, missing); tried again at each look at the ports
};

struct BayView {
    std::string Port;     // "COM5", "/dev/ttyUSB0"
    std::string Adapter;  // "0403:6001 A50285BI"; empty for a port without adapter identity
    BayStage Stage = BayStage::kWaitingForModem;
    PortProgress Progress;              // of the upload under way or last ended
    std::optional<StationEnd> LastEnd;  // how the last upload ended
    std::string Problem;                // why the port is unavailable
};

// What the station tells as it goes; each upload has a number of its own, counted from 0.
class StationObserver {
  public:
    virtual ~StationObserver() = default;
    // A watched port is there: an adapter came, or a named port is watched from the start.
    virtual void BayOpened(const BayView& bay) = 0;
    virtual void UploadBegan(std::size_t upload, const std::string& name) = 0;
    virtual void UploadEvent(std::size_t upload, const session::SessionEvent& event) = 0;
    // How it ended as the counts say; nothing for an upload that no modem answered (the adapter went,
    // the port failed, or the station stopped while the request repeated), which is not counted.
    virtual void UploadEnded(std::size_t upload, const PortUpload& ended, std::optional<StationEnd> end,
                             const StationCounts& counts) = 0;
    // The port did not open, or opened again after it did not; said once each time it changes.
    virtual void BayUnavailable(const BayView& bay) = 0;
    // The adapter went away; a bay that was not uploading is gone with it.
    virtual void BayClosed(const BayView& bay) = 0;
    // A problem besides the upload (the capture file, the history): the upload goes on.
    virtual void Warning(const std::string& name, const std::string& text) = 0;
};

struct StationSettings {
    // The ports watched by name and the adapters watched by selector.
    std::vector<PortTarget> Named;
    std::vector<UsbSelector> Adapters;
    // What every upload shares: image, baud, request, limits, link folder, history file. Its Port and
    // AdapterSerial are each bay's own.
    PortUploadSettings Upload;
    // On a port without adapter identity, how long the line must stay quiet before the next modem.
    std::chrono::steady_clock::duration QuietBeforeNext = std::chrono::seconds(3);
    // Where the names of the ports come from: COM numbers rather than devices on Windows.
    bool ComDeviceNames = false;
};

class Station {
  public:
    using Clock = std::chrono::steady_clock;

    Station(StationSettings settings, serial::PostToUiThread postToLoop, StationObserver& observer);
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    // The ports present now: adapters that came get a bay, bays whose adapter went are closed once their
    // upload has ended, and ports that did not open are tried again.
    void SeePorts(std::span<const serial::PortDescription> present, Clock::time_point now);
    // Runs what is due now (the uploads' ticks, the probes' requests) and tells when more is due.
    Clock::time_point RunDue(Clock::time_point now);
    // Ends every upload under way as stopped; nothing is sent after it.
    void StopAll();

    const StationCounts& Counts() const { return counts_; }
    std::vector<BayView> Bays() const;
    // Whether an upload is under way on any bay (the modem answered and the blocks go).
    bool Uploading() const;

  private:
    struct Bay;

    void OpenBay(PortTarget target, std::optional<serial::UsbIdentity> adapter, std::string port,
                 Clock::time_point now);
    void StartUpload(Bay& bay, Clock::time_point now);
    void EndUpload(Bay& bay, Clock::time_point now);
    BayView ViewOf(const Bay& bay) const;
    bool NamedDevice(const std::string& device) const;

    StationSettings settings_;
    serial::PostToUiThread postToLoop_;
    StationObserver& observer_;
    std::vector<std::unique_ptr<Bay>> bays_;
    StationCounts counts_;
    std::size_t uploadsBegun_ = 0;
    bool stopped_ = false;
};

}  // namespace flash410::cli
