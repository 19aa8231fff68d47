// Keeps a second opener off a serial port for as long as this program has it open. Windows refuses a
// second CreateFile of a port opened unshared, but not every driver does: Wine lets a second program open
// it, and the two then take each other's replies. So the port is also reserved by a named kernel object,
// made when it opens and gone when it closes; an opener that finds the object already there, in this
// program or another, is refused as busy. Only whether the object exists counts, not who owns it: a
// mutex's ownership belongs to a thread, and a port may be opened on one thread and closed on another.
#pragma once

#include <string>

#include "platform/unique_handle_win32.h"
#include "serial/serial_device.h"

namespace flash410::serial {

class PortReservation {
  public:
    // Reserves the port that devicePath names (any spelling of it: PortReservationName). Fails with
    // kBusy when the port is reserved already, and holds nothing then.
    SystemError Reserve(const std::string& devicePath);
    // Lets the next opener have the port.
    void Release() { object_.Reset(); }
    // Whether a PortReservation, in this program or another, holds the port now.
    static bool IsReserved(const std::string& devicePath);

  private:
    platform::UniqueHandle object_;
};

}  // namespace flash410::serial
