#include "serial/serial_port.h"

#include <chrono>

#include "platform/scope_exit.h"
#include "serial/error_words.h"
#include "serial/event_thread.h"

namespace flash410::serial {

namespace {
// How long a close waits for the event thread to leave its wait (100 x 75 ms).
constexpr std::chrono::milliseconds kCloseHandshakeLimit{7500};
}  // namespace

SerialPort::SerialPort(SerialEnvironment environment) : environment_(std::move(environment)) {
    if (!environment_.makeDevice) {
        environment_.makeDevice = [] { return MakePlatformSerialDevice(); };
    }
    eventThread_ = std::make_unique<EventThread>(*this);
}

SerialPort::~SerialPort() {
    OpenClose(false);
    {
        std::lock_guard lock(threadMutex_);
        terminate_ = true;
    }
    threadChanged_.notify_all();
    {
        std::lock_guard lock(uiCallMutex_);
        if (pendingUiCall_) {
            pendingUiCall_->CallOff();
        }
    }
    eventThread_.reset();  // joins
}

void SerialPort::SetPort(PortNumber port) {
    Change(port_, port);
}

void SerialPort::SetBaudrate(std::int32_t baudrate) {
    if (!IsValidBaudrate(baudrate)) {
        if (environment_.showErrorBox) {
            environment_.showErrorBox("Baudrate is not valid");
        }
        return;
    }
    Change(settings_.Baudrate, baudrate);
}

void SerialPort::SetParity(serial::Parity parity) {
    Change(settings_.Parity, parity);
}
void SerialPort::SetDataBits(serial::DataBits dataBits) {
    Change(settings_.DataBits, dataBits);
}
void SerialPort::SetStopBits(serial::StopBits stopBits) {
    Change(settings_.StopBits, stopBits);
}
void SerialPort::SetFlowMode(FlowControl flowMode) {
    Change(settings_.FlowMode, flowMode);
}
void SerialPort::SetCheckParity(bool checkParity) {
    Change(settings_.CheckParity, checkParity);
}

void SerialPort::SetRxQueueSize(std::uint16_t size) {
    settings_.RxQueueSize = size;
    OpenClose(active_);
}

void SerialPort::SetTxQueueSize(std::uint16_t size) {
    txQueueSize_ = size;
    OpenClose(active_);
}

void SerialPort::OpenClose(bool open) {
    // Failures are reported once the port is in a state of its own again: an error box runs an event
    // loop, in which a queued notification could otherwise find the port half closed or half open.
    ++reportDeferral_;
    if (active_) {
        Close(true);
    }
    if (open) {
        Open();
    }
    if (--reportDeferral_ == 0) {
        for (auto& [code, text] : std::exchange(deferredReports_, {})) {
            ReportError(code, text);
        }
    }
}

void SerialPort::Report(const SystemError& error, std::string text) {
    if (reportDeferral_ > 0) {
        deferredReports_.emplace_back(error, std::move(text));
    } else {
        ReportError(error, text);
    }
}

void SerialPort::Open() {
    const std::string path = portMap_.DevicePath(port_);
    openedDescription_ = portMap_.Describe(port_);
    std::shared_ptr<SerialDevice> device = environment_.makeDevice();
    if (const SystemError error = device->Open(path); error) {
        Report(error, OpenFailureText(PortDescription(), error, device->DescribeOpenFailure(error, path)));
        return;
    }
    if (const SystemError error = device->SetQueueSizes(settings_.RxQueueSize, txQueueSize_); error) {
        Report(error, DeviceFailureText("setting the queue sizes of", PortDescription(), error));
    }
    {
        std::lock_guard lock(threadMutex_);
        device_ = std::move(device);
        ++session_;
        active_ = true;
    }
    ApplySettings();
    SetOutSignal(OutSignal::kDtr, true);
    SetOutSignal(OutSignal::kRts, true);
    StartWatching();
}

void SerialPort::StartWatching() {
    if (const SystemError error = device_->SetEventMask(line_event::kWatched); error) {
        Report(error, DeviceFailureText("watching", PortDescription(), error));
    }
    {
        std::lock_guard lock(threadMutex_);
        watching_ = true;
    }
    threadChanged_.notify_all();
}

void SerialPort::Close(bool reportFailures) {
    // A device that has gone away cannot be closed cleanly; that is no news worth an error box.
    const auto report = [&](SystemError error, const char* doing) {
        if (error && reportFailures && error.kind != ErrorKind::kGone) {
            Report(error, DeviceFailureText(doing, PortDescription(), error));
        }
    };
    const std::shared_ptr<SerialDevice> closing = device_;
    report(closing->Purge(), "aborting the transfers of");
    SetOutSignal(OutSignal::kDtr, false);
    SetOutSignal(OutSignal::kRts, false);
    writeStalled_ = false;
    {
        std::lock_guard lock(threadMutex_);
        active_ = false;
        closing_ = true;
        watching_ = false;
    }
    report(closing->SetEventMask(0), "ending the watch of");
    {
        std::lock_guard lock(uiCallMutex_);
        if (pendingUiCall_) {
            pendingUiCall_->CallOff();
        }
    }
    bool threadLeft = true;
    if (dispatchDepth_ == 0) {
        std::unique_lock lock(threadMutex_);
        threadLeft = threadChanged_.wait_for(lock, kCloseHandshakeLimit, [this] { return !threadInWait_; });
    }
    std::shared_ptr<SerialDevice> device;
    {
        std::lock_guard lock(threadMutex_);
        closing_ = false;
        device = std::move(device_);
    }
    // A thread that has not let go still holds the device; it is closed when the thread drops it.
    if (threadLeft) {
        report(device->Close(), "closing");
    }
}

void SerialPort::ApplySettings() {
    if (!active_) {
        return;
    }
    if (const SystemError error = device_->ApplyControlBlock(MakeDeviceControlBlock(settings_)); error) {
        Report(error, DeviceFailureText("setting the line parameters of", PortDescription(), error));
    }
    timeouts_ = MakeCommTimeouts(settings_.FlowMode, timeouts_);
    if (const SystemError error = device_->SetTimeouts(timeouts_); error) {
        Report(error, DeviceFailureText("setting the time-outs of", PortDescription(), error));
    }
}

bool SerialPort::SetOutSignal(OutSignal signal, bool on) {
    if (!device_) {
        return false;
    }
    return device_->SetOutSignal(signal, on);
}

void SerialPort::WriteString(const std::string& text) {
    if (!active_ || text.empty()) {
        return;
    }
    WriteBounded(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(),
                 WriteStringBoundMs(text.size(), settings_.Baudrate));
}

void SerialPort::WriteChar(std::uint8_t ch) {
    if (!active_) {
        return;
    }
    WriteBounded(&ch, 1, kWriteCharBoundMs);
}

std::size_t SerialPort::Write(std::span<const std::uint8_t> bytes) {
    if (!active_ || bytes.empty()) {
        return 0;
    }
    return WriteBounded(bytes.data(), bytes.size(), WriteBufferBoundMs(bytes.size(), settings_.Baudrate));
}

std::size_t SerialPort::WriteBounded(const std::uint8_t* data, std::size_t length, std::uint32_t boundMs) {
    // A line that has stopped taking bytes is not waited for again, write after write, until it moves.
    const TransferResult result = device_->Write(data, length, writeStalled_ ? 0 : boundMs);
    bytesWritten_ += result.count;
    if (!result.error) {
        writeStalled_ = false;
        return result.count;
    }
    if (!result.timedOut) {
        TransferFailed(result.error, "writing to");
        return result.count;
    }
    if (!writeStalled_) {
        writeStalled_ = true;
        ReportError(result.error, WriteStalledText(PortDescription(), result.count, length, boundMs));
    }
    return result.count;
}

std::int32_t SerialPort::ReadString(std::string& text) {
    text.clear();
    if (!active_) {
        return 0;
    }
    text.resize(static_cast<std::size_t>(settings_.RxQueueSize) + 1);
    const TransferResult result = device_->Read(reinterpret_cast<std::uint8_t*>(text.data()), text.size());
    text.resize(result.error ? 0 : result.count);
    if (result.error) {
        TransferFailed(result.error, "reading from");
    }
    return static_cast<std::int32_t>(text.size());
}

std::int32_t SerialPort::RxWaiting() {
    std::int32_t rxWaiting = 0;
    std::int32_t txWaiting = 0;
    if (active_) {
        if (const SystemError error = device_->QueueCounts(rxWaiting, txWaiting); error) {
            TransferFailed(error, "reading the queue counts of");
        }
    }
    return rxWaiting;
}

void SerialPort::TransferFailed(const SystemError& error, const std::string& doing) {
    if (error.kind != ErrorKind::kGone) {
        ReportError(error, DeviceFailureText(doing, PortDescription(), error));
        return;
    }
    const std::string text = DeviceGoneText(PortDescription(), error);
    // Closed before the report, so that a handler of the report sees the port as it is.
    if (active_) {
        Close(false);
    }
    ReportError(error, text);
}

void SerialPort::ReportError(const SystemError& error, const std::string& text) {
    errorCode_ = error.code;
    errorText_ = text;
    switch (NotifyErrors) {
        case ErrorNotification::kDialog:
            if (environment_.showErrorBox) {
                environment_.showErrorBox(text);
            }
            break;
        case ErrorNotification::kEvent:
            if (OnError) {
                OnError(this);
            }
            break;
        case ErrorNotification::kNone:
            break;
    }
}

bool SerialPort::SessionEnded(std::uint64_t session) const {
    return terminate_ || closing_ || !active_ || session_ != session;
}

UiCall::Outcome SerialPort::RunOnUiThread(std::uint64_t session, std::function<void()> work) {
    return UiCall::RunAndWait(
        environment_.postToUiThread,
        [this, work = std::move(work)] {
            ++dispatchDepth_;
            const platform::ScopeExit leave([this] { --dispatchDepth_; });
            work();
        },
        [this, session] { return SessionEnded(session); }, pendingUiCall_, uiCallMutex_);
}

void SerialPort::DispatchEvents(std::uint64_t session, std::uint32_t events, ModemLines lines) {
    // Each handler may close or re-open the port: look again before every call.
    const auto live = [&](std::uint32_t event) { return (events & event) != 0 && !SessionEnded(session); };
    if (live(line_event::kCts) && OnSignalChange)
        OnSignalChange(this, ModemInSignal::kCts, lines.cts);
    if (live(line_event::kDsr) && OnSignalChange)
        OnSignalChange(this, ModemInSignal::kDsr, lines.dsr);
    if (live(line_event::kRlsd) && OnSignalChange)
        OnSignalChange(this, ModemInSignal::kRlsd, lines.rlsd);
    if (live(line_event::kTxEmpty) && OnTxEmpty)
        OnTxEmpty(this);
    if (live(line_event::kBreak) && OnBreak)
        OnBreak(this);
    if (live(line_event::kRing) && OnRing)
        OnRing(this);
    if (live(line_event::kRxChar) && OnRxData)
        OnRxData(this);
}

void SerialPort::WaitFailed(std::uint64_t session, SystemError error) {
    if (SessionEnded(session)) {
        return;
    }
    // A port that cannot be watched any more is closed as gone; otherwise the thread would fail again at
    // once.
    error.kind = ErrorKind::kGone;
    TransferFailed(error, "watching");
}

}  // namespace flash410::serial
