#include "serial/low_latency_linux.h"

#include <sys/ioctl.h>

#include <cerrno>

namespace flash410::serial {

int SystemSerialInfoCall(int fd, unsigned long request, serial_struct& info) {
    return ::ioctl(fd, request, &info);
}

int RequestLowLatency(int fd, const SerialInfoCall& call) {
    serial_struct info{};
    if (call(fd, TIOCGSERIAL, info) != 0) {
        return errno;
    }
    // Only the flag changes: the rest of what the driver reported goes back as it was.
    info.flags |= ASYNC_LOW_LATENCY;
    return call(fd, TIOCSSERIAL, info) == 0 ? 0 : errno;
}

}  // namespace flash410::serial
