#include "serial/line_settings_posix.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace flash410::serial {

namespace {

// The classic code of a standard rate, so that programs reading the settings the old way see it too;
// other rates go as a number of their own.
tcflag_t SpeedCode(std::uint32_t baudrate) {
    switch (baudrate) {
        case 110:
            return B110;
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return BOTHER;
    }
}

struct termios2 MakeTerminalSettings(const DeviceControlBlock& dcb) {
    struct termios2 tio {};
    // Every field is set from the block; nothing of the previous state is kept.
    const tcflag_t speed = SpeedCode(dcb.BaudRate);
    tio.c_cflag = CREAD | CLOCAL | speed | (speed << IBSHIFT);
    tio.c_cflag |= dcb.ByteSize == 7 ? CS7 : CS8;
    if (dcb.StopBits == 2) {
        tio.c_cflag |= CSTOPB;
    }
    switch (dcb.Parity) {
        case 1:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            tio.c_cflag |= PARENB;
            break;
        case 3:
            tio.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case 4:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    if ((dcb.Flags & dcb_flag::kOutxCtsFlow) != 0) {
        tio.c_cflag |= CRTSCTS;
    }
    if ((dcb.Flags & dcb_flag::kParity) != 0) {
        tio.c_iflag |= INPCK;
    }
    if ((dcb.Flags & dcb_flag::kOutX) != 0) {
        tio.c_iflag |= IXON;
    }
    if ((dcb.Flags & dcb_flag::kInX) != 0) {
        tio.c_iflag |= IXOFF;
    }
    tio.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    tio.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    tio.c_ispeed = dcb.BaudRate;
    tio.c_ospeed = dcb.BaudRate;
    return tio;
}

TerminalSettingsView View(const struct termios2& tio) {
    TerminalSettingsView view;
    view.inputSpeed = tio.c_ispeed;
    view.outputSpeed = tio.c_ospeed;
    view.dataBits = (tio.c_cflag & CSIZE) == CS8 ? 8 : (tio.c_cflag & CSIZE) == CS7 ? 7 : 0;
    view.parityEnabled = (tio.c_cflag & PARENB) != 0;
    view.parityOdd = (tio.c_cflag & PARODD) != 0;
    view.parityStick = (tio.c_cflag & CMSPAR) != 0;
    view.parityChecked = (tio.c_iflag & INPCK) != 0;
    view.twoStopBits = (tio.c_cflag & CSTOPB) != 0;
    view.rtsCts = (tio.c_cflag & CRTSCTS) != 0;
    view.xonXoff = (tio.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF);
    view.raw = (tio.c_lflag & (ECHO | ICANON | ISIG | IEXTEN)) == 0 && (tio.c_oflag & OPOST) == 0 &&
               (tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP)) == 0;
    view.xonChar = tio.c_cc[VSTART];
    view.xoffChar = tio.c_cc[VSTOP];
    return view;
}

}  // namespace

int ApplyLineSettings(int fd, const DeviceControlBlock& dcb) {
    const struct termios2 tio = MakeTerminalSettings(dcb);
    return ioctl(fd, TCSETS2, &tio) == 0 ? 0 : errno;
}

int ReadLineSettings(int fd, TerminalSettingsView& view) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return errno;
    }
    view = View(tio);
    return 0;
}

TerminalSettingsView ViewOfLineSettings(const DeviceControlBlock& dcb) {
    return View(MakeTerminalSettings(dcb));
}

}  // namespace flash410::serial
