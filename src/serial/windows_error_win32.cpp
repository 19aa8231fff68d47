#include "serial/windows_error_win32.h"

#include "platform/system_error_text_win32.h"

namespace flash410::serial {

SystemError WindowsFailure(DWORD error) {
    ErrorKind kind = ErrorKind::kOther;
    switch (error) {
        case ERROR_ACCESS_DENIED:  // what a USB-serial driver answers once its adapter is pulled out
        case ERROR_BAD_COMMAND:
        case ERROR_BROKEN_PIPE:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEVICE_REMOVED:
        case ERROR_GEN_FAILURE:
        case ERROR_INVALID_HANDLE:
        case ERROR_IO_DEVICE:
        case ERROR_NOT_READY:
            kind = ErrorKind::kGone;
            break;
        default:
            break;
    }
    return {kind, static_cast<int>(error), platform::WindowsErrorText(error)};
}

SystemError WindowsOpenFailure(DWORD error) {
    ErrorKind kind = ErrorKind::kOther;
    switch (error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            kind = ErrorKind::kBusy;
            break;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_UNIT:
            kind = ErrorKind::kMissing;
            break;
        case ERROR_INVALID_FUNCTION:
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_PARAMETER:
            kind = ErrorKind::kNotSerialPort;
            break;
        default:
            break;
    }
    return {kind, static_cast<int>(error), platform::WindowsErrorText(error)};
}

}  // namespace flash410::serial
