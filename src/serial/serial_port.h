// SerialPort: one COM port. It opens the port through the platform device, sets its line parameters, sends
// text and single characters, hands out received bytes and reports errors. Its event thread
// (EventThread) watches the open port and delivers notifications on the user-interface thread.
//
// Every public operation is called on the user-interface thread. The notifications reach that thread
// through the injected PostToUiThread; the error box is injected too, so the component runs without a GUI.
//
// Errors: nothing is thrown. A failure is said once in the injected error box, in words that name the
// port and the system's reason, and shows in the component's state (Active() false after a failed open or
// a lost device). The backends below report a SystemError (a portable ErrorKind and the system's text);
// the words for each kind are error_words.h's, the same on every system.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "serial/device_control_block.h"
#include "serial/port_map.h"
#include "serial/serial_device.h"
#include "serial/serial_line.h"
#include "serial/serial_types.h"
#include "serial/ui_call.h"

namespace flash410::serial {

class EventThread;

struct SerialEnvironment {
    PostToUiThread postToUiThread;
    // Shows a modal error message box with one OK button.
    std::function<void(const std::string& text)> showErrorBox;
    // Makes the device object for one opening of the port; the platform's device when left empty.
    std::function<std::unique_ptr<SerialDevice>()> makeDevice;
};

class SerialPort final : public SerialLine {
  public:
    explicit SerialPort(SerialEnvironment environment);
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Properties with setters: a changed value on an open port closes and re-opens it.
    PortNumber Port() const override { return port_; }
    void SetPort(PortNumber port) override;
    std::int32_t Baudrate() const override { return settings_.Baudrate; }
    void SetBaudrate(std::int32_t baudrate) override;
    serial::Parity Parity() const { return settings_.Parity; }
    void SetParity(serial::Parity parity);
    serial::DataBits DataBits() const { return settings_.DataBits; }
    void SetDataBits(serial::DataBits dataBits);
    serial::StopBits StopBits() const { return settings_.StopBits; }
    void SetStopBits(serial::StopBits stopBits);
    std::uint16_t RxQueueSize() const { return settings_.RxQueueSize; }
    void SetRxQueueSize(std::uint16_t size);
    std::uint16_t TxQueueSize() const { return txQueueSize_; }
    void SetTxQueueSize(std::uint16_t size);
    FlowControl FlowMode() const { return settings_.FlowMode; }
    void SetFlowMode(FlowControl flowMode);
    bool CheckParity() const { return settings_.CheckParity; }
    void SetCheckParity(bool checkParity);

    // Every byte the driver has taken since the component was made, over all openings of the port.
    std::uint64_t BytesWritten() const { return bytesWritten_; }
    // The count of received bytes waiting in the driver; 0 while the port is closed.
    std::int32_t RxWaiting();
    std::int32_t ErrorCode() const { return errorCode_; }
    // The operator-facing text of the last error, naming the port and its device.
    const std::string& ErrorText() const { return errorText_; }

    // Plain fields.
    ErrorNotification NotifyErrors = ErrorNotification::kDialog;

    NotifyHandler OnRxData;
    NotifyHandler OnTxEmpty;
    NotifyHandler OnError;
    NotifyHandler OnBreak;
    NotifyHandler OnRing;
    SignalChangeHandler OnSignalChange;

    bool Active() const override { return active_; }
    // Closes the port if it is open, then opens it if asked to: true on an open port re-opens it.
    void SetActive(bool active) override { OpenClose(active); }

    void WriteString(const std::string& text);
    void WriteChar(std::uint8_t ch);
    std::size_t Write(std::span<const std::uint8_t> bytes) override;
    // Takes what has arrived, at most RxQueueSize() + 1 bytes, in one read of the device.
    std::int32_t ReadString(std::string& text) override;
    bool KeepsPace() const override { return true; }

    // Which device each COM port number stands for.
    void SetPortMap(PortMap portMap) { portMap_ = std::move(portMap); }
    const PortMap& portMap() const { return portMap_; }

  private:
    friend class EventThread;

    // A property change: store it, then close and re-open if the port was open.
    template <typename T>
    void Change(T& field, T value) {
        if (field == value) {
            return;
        }
        field = value;
        OpenClose(active_);
    }

    // "COM5 (/dev/ttyUSB0)": while the port is open, the device opened, even if the link that led to it
    // has gone or changed since (the port map would then name another device).
    std::string PortDescription() const { return active_ ? openedDescription_ : portMap_.Describe(port_); }
    void OpenClose(bool open);
    void Open();
    bool SetOutSignal(OutSignal signal, bool on);
    // Reports now, or once the open or close under way has finished.
    void Report(const SystemError& error, std::string text);
    // Returns how many bytes the driver took.
    std::size_t WriteBounded(const std::uint8_t* data, std::size_t length, std::uint32_t boundMs);
    // reportFailures is false when the device has already gone: its failures would say nothing new.
    void Close(bool reportFailures);
    void ApplySettings();
    void StartWatching();
    // A transfer failed: a vanished device also closes the port.
    void TransferFailed(const SystemError& error, const std::string& doing);
    // Shows the text by NotifyErrors and keeps the error as the last one.
    void ReportError(const SystemError& error, const std::string& text);

    // Called on the event thread.
    bool SessionEnded(std::uint64_t session) const;
    UiCall::Outcome RunOnUiThread(std::uint64_t session, std::function<void()> work);
    // Called on the user-interface thread for one wake-up of the event thread.
    void DispatchEvents(std::uint64_t session, std::uint32_t events, ModemLines lines);
    void WaitFailed(std::uint64_t session, SystemError error);

    SerialEnvironment environment_;
    PortMap portMap_;

    PortNumber port_ = 1;
    LineSettings settings_;
    std::uint16_t txQueueSize_ = 1024;
    std::int32_t errorCode_ = 0;
    std::string errorText_;
    CommTimeouts timeouts_;
    // How deep the user-interface thread is inside notifications from the event thread; a close from
    // there must not wait for the thread, which is waiting for the notification to return.
    int dispatchDepth_ = 0;
    int reportDeferral_ = 0;
    std::vector<std::pair<SystemError, std::string>> deferredReports_;
    // The last write timed out: the next ones do not wait until one goes through.
    bool writeStalled_ = false;
    std::uint64_t bytesWritten_ = 0;
    std::string openedDescription_;  // the port's description when it was opened

    // Shared with the event thread. The mutex guards device_ and the thread's hand-over; the flags are
    // atomic so that either side may look at them at any time.
    mutable std::mutex threadMutex_;
    std::condition_variable threadChanged_;
    std::shared_ptr<SerialDevice> device_;
    std::atomic<bool> active_{false};
    std::atomic<bool> closing_{false};
    std::atomic<bool> watching_{false};
    std::atomic<bool> terminate_{false};
    std::atomic<std::uint64_t> session_{0};
    bool threadInWait_ = false;
    std::mutex uiCallMutex_;
    std::shared_ptr<UiCall> pendingUiCall_;

    std::unique_ptr<EventThread> eventThread_;
};

}  // namespace flash410::serial
