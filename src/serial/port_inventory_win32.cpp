// The ports present on Windows: the Ports class of SetupAPI (each device's friendly name, hardware and
// instance ids, driver, and its registry key's PortName and FTDI's LatencyTimer), and the registry's
// HARDWARE\DEVICEMAP\SERIALCOMM for ports that SetupAPI does not show (Wine's lists none).
#include <windows.h>
// After windows.h, which they need.
#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/unique_handle_win32.h"
#include "platform/utf16_text_win32.h"
#include "serial/port_inventory.h"
#include "serial/port_reservation_win32.h"
#include "serial/windows_port_entries.h"

namespace flash410::serial {

namespace {

struct DeviceListCloser {
    void operator()(HDEVINFO list) const { SetupDiDestroyDeviceInfoList(list); }
};
using DeviceList = std::unique_ptr<std::remove_pointer_t<HDEVINFO>, DeviceListCloser>;

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// A REG_SZ or REG_MULTI_SZ property's first string.
std::string FirstString(const std::vector<wchar_t>& buffer) {
    return platform::Utf8FromUtf16(std::wstring_view(buffer.data(), wcsnlen(buffer.data(), buffer.size())));
}

std::string DeviceProperty(HDEVINFO list, SP_DEVINFO_DATA& device, DWORD property) {
    std::vector<wchar_t> buffer(512, L'\0');
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(
            list, &device, property, &type, reinterpret_cast<BYTE*>(buffer.data()),
            static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t)), nullptr)) {
        return {};
    }
    return FirstString(buffer);
}

std::string InstanceId(HDEVINFO list, SP_DEVINFO_DATA& device) {
    std::vector<wchar_t> buffer(512, L'\0');
    if (!SetupDiGetDeviceInstanceIdW(list, &device, buffer.data(), static_cast<DWORD>(buffer.size() - 1),
                                     nullptr)) {
        return {};
    }
    return FirstString(buffer);
}

std::string StringValue(HKEY key, const wchar_t* name) {
    std::vector<wchar_t> buffer(256, L'\0');
    DWORD type = 0;
    DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return {};
    }
    return FirstString(buffer);
}

std::optional<int> NumberValue(HKEY key, const wchar_t* name) {
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

// Whether a program has the port: opening it unshared is refused then. Flash410 itself reserves each port
// it opens under a name of its own, which tells it apart from other programs.
std::string HolderOf(const std::string& portName) {
    if (portName.empty()) {
        return {};
    }
    const std::string device = "\\\\.\\" + portName;
    if (PortReservation::IsReserved(device)) {
        return "Flash410";
    }
    platform::UniqueHandle port(CreateFileW(platform::Utf16FromUtf8(device).c_str(),
                                            GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                            nullptr));
    if (!port.valid() && GetLastError() == ERROR_ACCESS_DENIED) {
        return "another program";
    }
    return {};
}

std::vector<WindowsPortDevice> SetupApiPorts(PortHolders holders) {
    std::vector<WindowsPortDevice> devices;
    const DeviceList list(SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT));
    if (list.get() == INVALID_HANDLE_VALUE) {
        return devices;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(list.get(), index, &device); ++index) {
        WindowsPortDevice found;
        found.FriendlyName = DeviceProperty(list.get(), device, SPDRP_FRIENDLYNAME);
        found.HardwareId = DeviceProperty(list.get(), device, SPDRP_HARDWAREID);
        found.Manufacturer = DeviceProperty(list.get(), device, SPDRP_MFG);
        found.Service = DeviceProperty(list.get(), device, SPDRP_SERVICE);
        found.InstanceId = InstanceId(list.get(), device);
        const HKEY opened =
            SetupDiOpenDevRegKey(list.get(), &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (opened != INVALID_HANDLE_VALUE && opened != nullptr) {
            const RegistryKey key(opened);
            found.PortName = StringValue(key.get(), L"PortName");
            found.LatencyTimerMs = NumberValue(key.get(), L"LatencyTimer");
        }
        if (holders == PortHolders::kLookedUp) {
            found.InUseBy = HolderOf(found.PortName);
        }
        devices.push_back(std::move(found));
    }
    return devices;
}

std::vector<SerialCommEntry> SerialCommPorts() {
    std::vector<SerialCommEntry> entries;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &opened) !=
        ERROR_SUCCESS) {
        return entries;
    }
    const RegistryKey key(opened);
    for (DWORD index = 0;; ++index) {
        std::array<wchar_t, 256> name{};
        std::array<wchar_t, 256> data{};
        DWORD nameLength = static_cast<DWORD>(name.size() - 1);
        DWORD dataSize = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
        DWORD type = 0;
        const LSTATUS status = RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, &type,
                                             reinterpret_cast<BYTE*>(data.data()), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS || type != REG_SZ) {
            continue;
        }
        SerialCommEntry entry;
        entry.DeviceName = platform::Utf8FromUtf16(std::wstring_view(name.data(), nameLength));
        entry.PortName =
            platform::Utf8FromUtf16(std::wstring_view(data.data(), wcsnlen(data.data(), data.size())));
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

std::vector<PortDescription> ListPorts(const InventoryRoots&, PortHolders holders) {
    std::vector<SerialCommEntry> serialComm = SerialCommPorts();
    const std::vector<WindowsPortDevice> devices = SetupApiPorts(holders);
    for (SerialCommEntry& entry : serialComm) {
        const int number = ComNumberOfName(entry.PortName);
        const bool listedBySetupApi = std::any_of(
            devices.begin(), devices.end(),
            [number](const WindowsPortDevice& device) { return ComNumberOfName(device.PortName) == number; });
        if (holders == PortHolders::kLookedUp && !listedBySetupApi) {
            entry.InUseBy = HolderOf(entry.PortName);
        }
    }
    return AssembleWindowsPorts(devices, serialComm);
}

}  // namespace flash410::serial
