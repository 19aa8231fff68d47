#include "serial/port_reservation_win32.h"

#include <windows.h>

#include <array>
#include <utility>

#include "serial/port_reservation_name.h"
#include "serial/windows_error_win32.h"

namespace flash410::serial {
namespace {

// Global\ reaches every session of the machine (another user's, a service's); where this program may not
// make objects there, its own session's Local\ must do. An object of another user's that this one may
// not open answers "access denied" too; the driver itself keeps such a port from us on Windows.
constexpr std::array<const wchar_t*, 2> kNamespaces = {L"Global\\", L"Local\\"};
constexpr const wchar_t* kObjectPrefix = L"Flash410.SerialPort.";

// Byte for byte: the name only has to be one and the same for one device, whatever the code page.
std::wstring ObjectName(const wchar_t* space, const std::string& portName) {
    std::wstring name = std::wstring(space) + kObjectPrefix;
    for (const char c : portName) {
        name.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    return name;
}

}  // namespace

SystemError PortReservation::Reserve(const std::string& devicePath) {
    Release();
    const std::string portName = PortReservationName(devicePath);
    DWORD error = ERROR_SUCCESS;
    for (const wchar_t* space : kNamespaces) {
        const HANDLE made = CreateMutexW(nullptr, FALSE, ObjectName(space, portName).c_str());
        error = GetLastError();
        platform::UniqueHandle object(made);
        if (object.valid()) {
            if (error == ERROR_ALREADY_EXISTS) {
                // Ours closes on return; the object stays with the opener that made it.
                return WindowsOpenFailure(ERROR_SHARING_VIOLATION);
            }
            object_ = std::move(object);
            return {};
        }
        if (error != ERROR_ACCESS_DENIED) {
            break;
        }
    }
    return WindowsOpenFailure(error);
}

bool PortReservation::IsReserved(const std::string& devicePath) {
    const std::string portName = PortReservationName(devicePath);
    for (const wchar_t* space : kNamespaces) {
        const platform::UniqueHandle object(
            OpenMutexW(SYNCHRONIZE, FALSE, ObjectName(space, portName).c_str()));
        if (object.valid() || GetLastError() == ERROR_ACCESS_DENIED) {
            return true;
        }
    }
    return false;
}

}  // namespace flash410::serial
