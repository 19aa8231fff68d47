// Owns one Windows handle (a device, a file or an event). Nothing here throws: Reset() returns whether
// CloseHandle worked, and GetLastError says why not.
#pragma once

#include <windows.h>

#include <utility>

namespace flash410::platform {

class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle == nullptr ? INVALID_HANDLE_VALUE : handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.handle_, INVALID_HANDLE_VALUE));
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    // Closes the handle held; returns whether that worked (true when nothing was held).
    bool Reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        const HANDLE old = std::exchange(handle_, handle == nullptr ? INVALID_HANDLE_VALUE : handle);
        return old == INVALID_HANDLE_VALUE || CloseHandle(old) != 0;
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace flash410::platform
