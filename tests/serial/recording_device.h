// A device that records what the component asks of it and delivers line events that the test injects.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include "serial/serial_device.h"

namespace flash410::serial::testing {

// A failure as a backend reports it, with the C library's text for the code.
inline SystemError FakeError(int code, ErrorKind kind = ErrorKind::kOther) {
    return {kind, code, std::generic_category().message(code)};
}

// What all devices made for one component have seen; shared so that the test keeps it across re-opens.
struct DeviceLog {
    std::mutex mutex;
    std::vector<std::string> calls;
    std::vector<std::string> openedPaths;
    DeviceControlBlock lastBlock;
    std::string written;
    std::deque<std::uint8_t> received;
    SystemError openError;
    SystemError purgeError;
    SystemError applyError;
    ModemLines lines;

    void Add(std::string call) {
        std::lock_guard lock(mutex);
        calls.push_back(std::move(call));
    }
    std::vector<std::string> Calls() {
        std::lock_guard lock(mutex);
        return calls;
    }
    int Count(const std::string& call) {
        std::lock_guard lock(mutex);
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }
    void Clear() {
        std::lock_guard lock(mutex);
        calls.clear();
    }
};

class RecordingDevice final : public SerialDevice {
  public:
    explicit RecordingDevice(std::shared_ptr<DeviceLog> log) : log_(std::move(log)) {}

    // Makes the next (or the pending) WaitEvents return these events.
    void Signal(std::uint32_t events) {
        {
            std::lock_guard lock(mutex_);
            pending_ |= events;
        }
        changed_.notify_all();
    }

    SystemError Open(const std::string& path) override {
        log_->Add("Open");
        std::lock_guard lock(log_->mutex);
        log_->openedPaths.push_back(path);
        return log_->openError;
    }
    SystemError SetQueueSizes(std::uint16_t, std::uint16_t) override { return {}; }
    SystemError ApplyControlBlock(const DeviceControlBlock& dcb) override {
        log_->Add("ApplyControlBlock");
        std::lock_guard lock(log_->mutex);
        log_->lastBlock = dcb;
        return log_->applyError;
    }
    SystemError SetTimeouts(const CommTimeouts&) override { return {}; }
    bool SetOutSignal(OutSignal signal, bool on) override {
        log_->Add(std::string(on ? "Raise" : "Drop") + (signal == OutSignal::kRts ? "RTS" : "DTR"));
        return true;
    }
    SystemError Purge() override {
        log_->Add("Purge");
        std::lock_guard lock(log_->mutex);
        return log_->purgeError;
    }
    SystemError SetEventMask(std::uint32_t mask) override {
        log_->Add("SetEventMask " + std::to_string(mask));
        {
            std::lock_guard lock(mutex_);
            mask_ = mask;
        }
        changed_.notify_all();
        return {};
    }
    EventWaitResult WaitEvents() override {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return mask_ == 0 || pending_ != 0; });
        if (mask_ == 0) {
            return {};
        }
        return {std::exchange(pending_, 0u) & mask_, {}};
    }
    ModemLines ReadModemLines() override {
        std::lock_guard lock(log_->mutex);
        return log_->lines;
    }
    SystemError QueueCounts(std::int32_t& rx, std::int32_t& tx) override {
        std::lock_guard lock(log_->mutex);
        rx = static_cast<std::int32_t>(log_->received.size());
        tx = 0;
        return {};
    }
    TransferResult Write(const std::uint8_t* data, std::size_t length, std::uint32_t) override {
        std::lock_guard lock(log_->mutex);
        log_->written.append(reinterpret_cast<const char*>(data), length);
        return {length, {}, false};
    }
    TransferResult Read(std::uint8_t* buffer, std::size_t capacity) override {
        log_->Add("Read");
        std::lock_guard lock(log_->mutex);
        const std::size_t count = std::min(capacity, log_->received.size());
        std::copy_n(log_->received.begin(), count, buffer);
        log_->received.erase(log_->received.begin(),
                             log_->received.begin() + static_cast<std::ptrdiff_t>(count));
        return {count, {}, false};
    }
    SystemError Close() override {
        log_->Add("Close");
        return {};
    }
    OpenFailureDetail DescribeOpenFailure(const SystemError&, const std::string&) const override {
        return {"minicom (process 41)", "Join the group 'dialout'."};
    }

  private:
    std::shared_ptr<DeviceLog> log_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint32_t mask_ = 0;
    std::uint32_t pending_ = 0;
};

}  // namespace flash410::serial::testing
