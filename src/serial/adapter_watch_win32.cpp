// The adapter watch on Windows: the configuration manager's notifications for the COM port device
// interface, which every serial port driver registers, called on the system's thread pool.
// CM_Register_Notification is looked up as the watch is made rather than imported: it came with Windows 8,
// and Wine (8.0) has none, where an import would keep every program from starting. Without it the watch is
// not prompt.
#include <windows.h>

#include <cfgmgr32.h>

#include <type_traits>

#include "serial/adapter_watch.h"

namespace flash410::serial {

namespace {

// GUID_DEVINTERFACE_COMPORT (ntddser.h), which mingw-w64's headers lack.
constexpr GUID kComPortInterface = {
    0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

// cfgmgr32.dll's own, declared here as mingw-w64's header lacks them.
using RegisterNotification = CONFIGRET(WINAPI*)(PCM_NOTIFY_FILTER, PVOID, PCM_NOTIFY_CALLBACK,
                                                PHCMNOTIFICATION);
using UnregisterNotification = CONFIGRET(WINAPI*)(HCMNOTIFICATION);

struct LibraryFree {
    void operator()(HMODULE library) const { FreeLibrary(library); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFree>;

template <typename Function>
Function Lookup(HMODULE library, const char* name) {
    // By way of a function without parameters, which a cast to any other function type accepts unremarked.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

DWORD CALLBACK OnInterfaceChange(HCMNOTIFICATION, PVOID context, CM_NOTIFY_ACTION action,
                                 PCM_NOTIFY_EVENT_DATA, DWORD) {
    if (action == CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL ||
        action == CM_NOTIFY_ACTION_DEVICEINTERFACEREMOVAL) {
        (*static_cast<const std::function<void()>*>(context))();
    }
    return ERROR_SUCCESS;
}

}  // namespace

struct AdapterWatch::State {
    std::function<void()> changed;
    Library library;
    UnregisterNotification unregister = nullptr;
    HCMNOTIFICATION notification = nullptr;

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    // Before changed and the library go: CM_Unregister_Notification waits for a callback under way.
    ~State() {
        if (notification != nullptr) {
            unregister(notification);
        }
    }
};

AdapterWatch::AdapterWatch(std::function<void()> changed) : state_(std::make_unique<State>()) {
    state_->changed = std::move(changed);
    state_->library.reset(LoadLibraryExW(L"cfgmgr32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!state_->library) {
        return;
    }
    const auto registerNotification =
        Lookup<RegisterNotification>(state_->library.get(), "CM_Register_Notification");
    state_->unregister = Lookup<UnregisterNotification>(state_->library.get(), "CM_Unregister_Notification");
    if (registerNotification == nullptr || state_->unregister == nullptr) {
        return;
    }
    CM_NOTIFY_FILTER filter{};
    filter.cbSize = sizeof filter;
    filter.FilterType = CM_NOTIFY_FILTER_TYPE_DEVICEINTERFACE;
    filter.u.DeviceInterface.ClassGuid = kComPortInterface;
    HCMNOTIFICATION notification = nullptr;
    if (registerNotification(&filter, &state_->changed, OnInterfaceChange, &notification) == CR_SUCCESS) {
        state_->notification = notification;
    }
}

AdapterWatch::~AdapterWatch() = default;

bool AdapterWatch::Prompt() const {
    return state_->notification != nullptr;
}

}  // namespace flash410::serial
