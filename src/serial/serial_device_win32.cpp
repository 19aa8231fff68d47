#include "serial/serial_device_win32.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>

#include "serial/windows_error_win32.h"

namespace flash410::serial {

namespace {

// How often the queue counts are looked at while the event thread waits: beside a pending WaitCommEvent
// only as a safety net; without one (a driver that cannot wait for line events, such as Wine's on a
// pseudo-terminal) they are all there is, and a reply may wait that long to be noticed: 4 ms keeps an
// upload within about 1 % of its wire time at a few hundred looks a second.
constexpr DWORD kQueuePollMs = 20;
constexpr DWORD kQueuePollWithoutDriverWaitMs = 4;

static_assert(sizeof(DCB) == sizeof(DeviceControlBlock), "the control block is laid out as the DCB");

SystemError Outcome(BOOL succeeded) {
    return succeeded != 0 ? SystemError{} : WindowsFailure(GetLastError());
}

platform::UniqueHandle MakeEvent(bool manualReset) {
    return platform::UniqueHandle(CreateEventW(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr));
}

}  // namespace

std::unique_ptr<SerialDevice> MakePlatformSerialDevice() {
    return std::make_unique<Win32SerialDevice>();
}

Win32SerialDevice::~Win32SerialDevice() {
    // The driver must not write into the record after it is gone.
    CancelEventWait();
}

SystemError Win32SerialDevice::Open(const std::string& path) {
    if (path.empty()) {
        return WindowsOpenFailure(ERROR_FILE_NOT_FOUND);
    }
    // Reserved before the device is touched, and held only once it is open: any failure below lets it go.
    PortReservation reservation;
    if (const SystemError error = reservation.Reserve(path); error) {
        return error;
    }
    // Not shared: a second program (or a second component of this one) is refused while it is open.
    port_.Reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr));
    if (!port_.valid()) {
        return WindowsOpenFailure(GetLastError());
    }
    DCB current{};
    current.DCBlength = sizeof current;
    if (GetCommState(port_.get(), &current) == 0) {
        const DWORD error = GetLastError();
        port_.Reset();
        SystemError failure = WindowsOpenFailure(error);
        failure.kind = ErrorKind::kNotSerialPort;
        return failure;
    }
    readDone_ = MakeEvent(true);
    writeDone_ = MakeEvent(true);
    eventDone_ = MakeEvent(true);
    wake_ = MakeEvent(false);
    if (!readDone_.valid() || !writeDone_.valid() || !eventDone_.valid() || !wake_.valid()) {
        const DWORD error = GetLastError();
        Close();
        return WindowsOpenFailure(error);
    }
    // Whatever reached the line while no program had it open belongs to nobody's dialogue.
    PurgeComm(port_.get(), PURGE_RXCLEAR);
    arrivals_.Reset();
    txPending_ = false;
    driverWaits_ = true;
    reservation_ = std::move(reservation);
    return {};
}

SystemError Win32SerialDevice::SetQueueSizes(std::uint16_t rx, std::uint16_t tx) {
    return Outcome(SetupComm(port_.get(), rx, tx));
}

SystemError Win32SerialDevice::ApplyControlBlock(const DeviceControlBlock& dcb) {
    // The control block is the DCB, bit for bit; the state the driver held before is not read.
    DCB state{};
    std::memcpy(&state, &dcb, sizeof state);
    state.DCBlength = sizeof state;
    return Outcome(SetCommState(port_.get(), &state));
}

SystemError Win32SerialDevice::SetTimeouts(const CommTimeouts& timeouts) {
    COMMTIMEOUTS driverTimeouts{};
    driverTimeouts.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
    driverTimeouts.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
    driverTimeouts.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
    driverTimeouts.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
    driverTimeouts.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
    return Outcome(SetCommTimeouts(port_.get(), &driverTimeouts));
}

bool Win32SerialDevice::SetOutSignal(OutSignal signal, bool on) {
    const DWORD function = signal == OutSignal::kRts ? (on ? SETRTS : CLRRTS) : (on ? SETDTR : CLRDTR);
    return EscapeCommFunction(port_.get(), function) != 0;
}

SystemError Win32SerialDevice::Purge() {
    // Bytes still queued for the line are dropped: after a close nothing more reaches the modem.
    return Outcome(PurgeComm(port_.get(), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR));
}

SystemError Win32SerialDevice::SetEventMask(std::uint32_t mask) {
    mask_ = mask;
    // The driver ends a pending WaitCommEvent when the mask changes; the wake-up makes sure of it.
    const SystemError error = Outcome(SetCommMask(port_.get(), mask));
    SetEvent(wake_.get());
    return error;
}

void Win32SerialDevice::CancelEventWait() {
    if (!eventWaitPending_) {
        return;
    }
    CancelIoEx(port_.get(), &eventWait_);
    DWORD unused = 0;
    GetOverlappedResult(port_.get(), &eventWait_, &unused, TRUE);
    eventWaitPending_ = false;
}

EventWaitResult Win32SerialDevice::QueueEvents() {
    COMSTAT status{};
    DWORD failure = ERROR_SUCCESS;
    const std::optional<bool> arrived =
        arrivals_.ArrivedSinceLastReport([&]() -> std::optional<std::uint64_t> {
            DWORD errors = 0;
            if (ClearCommError(port_.get(), &errors, &status) == 0) {
                failure = GetLastError();
                return std::nullopt;
            }
            return status.cbInQue;
        });
    if (!arrived) {
        return {0, WindowsFailure(failure)};
    }
    std::uint32_t events = 0;
    if (*arrived) {
        events |= line_event::kRxChar;
    }
    if (status.cbOutQue == 0 && txPending_.exchange(false)) {
        events |= line_event::kTxEmpty;
    }
    return {events, {}};
}

EventWaitResult Win32SerialDevice::WaitEvents() {
    for (;;) {
        if (mask_ == 0) {
            CancelEventWait();
            return {};
        }
        std::uint32_t events = 0;
        if (!eventWaitPending_ && driverWaits_) {
            eventWait_ = OVERLAPPED{};
            eventWait_.hEvent = eventDone_.get();
            ResetEvent(eventDone_.get());
            commEvents_ = 0;
            if (WaitCommEvent(port_.get(), &commEvents_, &eventWait_) != 0) {
                events = commEvents_;
            } else if (const DWORD error = GetLastError(); error == ERROR_IO_PENDING) {
                eventWaitPending_ = true;
            } else if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION) {
                // A driver that cannot wait for line events (Wine's, on a pseudo-terminal, which has no
                // modem lines): the queue counts alone tell what happens.
                driverWaits_ = false;
            } else {
                return {0, WindowsFailure(error)};
            }
        }
        if (eventWaitPending_ || !driverWaits_) {
            const std::array<HANDLE, 2> signals = {wake_.get(), eventDone_.get()};
            const DWORD count = eventWaitPending_ ? 2 : 1;
            const DWORD woken = WaitForMultipleObjects(
                count, signals.data(), FALSE, driverWaits_ ? kQueuePollMs : kQueuePollWithoutDriverWaitMs);
            if (woken == WAIT_OBJECT_0 + 1) {
                eventWaitPending_ = false;
                DWORD unused = 0;
                if (GetOverlappedResult(port_.get(), &eventWait_, &unused, FALSE) != 0) {
                    events = commEvents_;
                } else if (const DWORD error = GetLastError(); error != ERROR_OPERATION_ABORTED) {
                    return {0, WindowsFailure(error)};
                }
            } else if (woken == WAIT_OBJECT_0) {
                // The mask changed or the port closes: the wait starts again with what is asked now.
                CancelEventWait();
            } else if (woken != WAIT_TIMEOUT) {
                const DWORD error = GetLastError();
                CancelEventWait();
                return {0, WindowsFailure(error)};
            }
        }
        // Received bytes are counted rather than taken from the driver's report, so that an arrival is
        // reported once whichever of the two sees it first.
        const EventWaitResult counted = QueueEvents();
        if (counted.error) {
            CancelEventWait();
            return counted;
        }
        events = (events & ~line_event::kRxChar) | counted.events;
        if ((events & line_event::kTxEmpty) != 0) {
            txPending_ = false;
        }
        const std::uint32_t mask = mask_;
        if (mask == 0) {
            CancelEventWait();
            return {};
        }
        if ((events & mask) != 0) {
            return {events & mask, {}};
        }
    }
}

ModemLines Win32SerialDevice::ReadModemLines() {
    DWORD status = 0;
    if (GetCommModemStatus(port_.get(), &status) == 0) {
        return {};
    }
    return {(status & MS_CTS_ON) != 0, (status & MS_DSR_ON) != 0, (status & MS_RLSD_ON) != 0};
}

SystemError Win32SerialDevice::QueueCounts(std::int32_t& rxWaiting, std::int32_t& txWaiting) {
    DWORD errors = 0;
    COMSTAT status{};
    if (ClearCommError(port_.get(), &errors, &status) == 0) {
        rxWaiting = 0;
        txWaiting = 0;
        return WindowsFailure(GetLastError());
    }
    rxWaiting = static_cast<std::int32_t>(status.cbInQue);
    txWaiting = static_cast<std::int32_t>(status.cbOutQue);
    return {};
}

TransferResult Win32SerialDevice::FinishTransfer(OVERLAPPED& transfer, DWORD boundMs) {
    TransferResult result;
    const DWORD waited = WaitForSingleObject(transfer.hEvent, boundMs);
    if (waited != WAIT_OBJECT_0) {
        CancelIoEx(port_.get(), &transfer);
        result.timedOut = waited == WAIT_TIMEOUT;
    }
    // Whether finished or cancelled, the transfer is over once this returns, and says how much it moved.
    DWORD count = 0;
    if (GetOverlappedResult(port_.get(), &transfer, &count, TRUE) == 0) {
        const DWORD error = GetLastError();
        if (error != ERROR_OPERATION_ABORTED) {
            result.error = WindowsFailure(error);
            result.timedOut = false;
        }
    }
    result.count = count;
    return result;
}

TransferResult Win32SerialDevice::Write(const std::uint8_t* data, std::size_t length, std::uint32_t boundMs) {
    OVERLAPPED transfer{};
    transfer.hEvent = writeDone_.get();
    ResetEvent(writeDone_.get());
    DWORD count = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(length, MAXDWORD));
    if (WriteFile(port_.get(), data, chunk, &count, &transfer) != 0) {
        txPending_ = count > 0 || txPending_;
        return {count, count == length ? SystemError{} : WindowsFailure(ERROR_TIMEOUT), count != length};
    }
    if (const DWORD error = GetLastError(); error != ERROR_IO_PENDING) {
        return {0, WindowsFailure(error), false};
    }
    TransferResult result = FinishTransfer(transfer, boundMs);
    if (result.count > 0) {
        txPending_ = true;
    }
    if (!result.error && result.count < length) {
        // The bound passed before the driver took every byte (or its own time-out ended the write).
        result.error = WindowsFailure(ERROR_TIMEOUT);
        result.timedOut = true;
    }
    return result;
}

TransferResult Win32SerialDevice::Read(std::uint8_t* buffer, std::size_t capacity) {
    OVERLAPPED transfer{};
    transfer.hEvent = readDone_.get();
    ResetEvent(readDone_.get());
    DWORD count = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(capacity, MAXDWORD));
    if (ReadFile(port_.get(), buffer, chunk, &count, &transfer) != 0) {
        arrivals_.CountTaken(count);
        return {count, {}, false};
    }
    if (const DWORD error = GetLastError(); error != ERROR_IO_PENDING) {
        return {0, WindowsFailure(error), false};
    }
    // The time-outs ask for a read that returns at once with what has arrived, but some drivers (Wine's)
    // leave it pending when nothing has: it is cancelled at once, and bytes that arrived meanwhile are
    // still counted and returned.
    TransferResult result = FinishTransfer(transfer, 0);
    arrivals_.CountTaken(result.count);
    result.timedOut = false;  // nothing had arrived: not a failure
    return result;
}

SystemError Win32SerialDevice::Close() {
    mask_ = 0;
    if (wake_.valid()) {
        SetEvent(wake_.get());
    }
    // The event thread has left its wait by now; a WaitCommEvent it left behind ends here.
    CancelEventWait();
    txPending_ = false;
    const bool closed = port_.Reset();
    const DWORD error = closed ? ERROR_SUCCESS : GetLastError();
    reservation_.Release();  // only once the device is closed, so that the next opener finds it free
    readDone_.Reset();
    writeDone_.Reset();
    eventDone_.Reset();
    wake_.Reset();
    return closed ? SystemError{} : WindowsFailure(error);
}

}  // namespace flash410::serial
