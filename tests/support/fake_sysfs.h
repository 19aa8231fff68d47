// A made-up machine for the port lister: a sysfs tree, a /dev folder and a program folder with port
// links, all inside one temporary folder, laid out as the kernel lays them out (class/tty entries are
// links into devices/, each tty's "device" link points up into its parent device).
#pragma once

#include <optional>
#include <string>

#include "serial/port_inventory.h"
#include "temp_folder.h"

namespace flash410::test_support {

struct FakeUsbAdapter {
    std::string TtyName;  // "ttyUSB0"
    std::string VendorId;
    std::string ProductId;
    std::string Manufacturer;
    std::string Product;
    std::string SerialNumber;  // empty: the adapter reports none
    std::string Driver;        // "ftdi_sio" binds the usb-serial port, "cdc_acm" the interface
    std::optional<int> LatencyTimerMs;
};

class FakeSysfs {
  public:
    explicit FakeSysfs(const TempFolder& root);

    // A USB adapter on its own USB port (bus 1, port index), with its /dev node.
    void AddUsbAdapter(const FakeUsbAdapter& adapter, int usbPort);
    // A built-in UART's terminal; type 0 is a port the driver registered where no UART answered.
    void AddUart(const std::string& ttyName, int type);
    // A terminal with no hardware behind it (tty1, console).
    void AddVirtualTerminal(const std::string& ttyName);
    // A pseudo-terminal's slave /dev/pts/N (a plain file here); returns its path.
    std::string AddPseudoTerminal(int number);
    // The link ports/comN in the program folder, to target.
    void Link(int comNumber, const std::string& target);

    std::string DevPath(const std::string& name) const;
    serial::InventoryRoots Roots() const;

  private:
    const TempFolder& root_;
};

}  // namespace flash410::test_support
