#include "fake_sysfs.h"

#include <filesystem>

namespace flash410::test_support {

namespace fs = std::filesystem;

namespace {

void Symlink(const fs::path& target, const fs::path& link) {
    fs::create_directories(link.parent_path());
    fs::remove(link);
    fs::create_symlink(target, link);
}

}  // namespace

FakeSysfs::FakeSysfs(const TempFolder& root) : root_(root) {
    root_.Folder("sys/class/tty");
    root_.Folder("sys/bus/usb/drivers");
    root_.Folder("dev/pts");
    root_.Folder("program/ports");
}

void FakeSysfs::AddUsbAdapter(const FakeUsbAdapter& adapter, int usbPort) {
    const std::string usbDevice = "sys/devices/pci0000:00/usb1/1-" + std::to_string(usbPort);
    const std::string interface = usbDevice + "/1-" + std::to_string(usbPort) + ":1.0";
    root_.Write(usbDevice + "/idVendor", adapter.VendorId + "\n");
    root_.Write(usbDevice + "/idProduct", adapter.ProductId + "\n");
    root_.Write(usbDevice + "/manufacturer", adapter.Manufacturer + "\n");
    root_.Write(usbDevice + "/product", adapter.Product + "\n");
    if (!adapter.SerialNumber.empty()) {
        root_.Write(usbDevice + "/serial", adapter.SerialNumber + "\n");
    }
    const std::string driverFolder = root_.Folder("sys/bus/usb/drivers/" + adapter.Driver);
    // usb-serial drivers put a port device of their own between the interface and the tty; CDC ACM's tty
    // hangs off the interface.
    const bool usbSerial = adapter.Driver != "cdc_acm";
    const std::string portDevice = usbSerial ? interface + "/" + adapter.TtyName : interface;
    root_.Folder(portDevice);
    Symlink(driverFolder, root_ / (portDevice + "/driver"));
    if (usbSerial) {
        Symlink(root_ / "sys/bus/usb/drivers/usb", root_ / (interface + "/driver"));
    }
    if (adapter.LatencyTimerMs) {
        root_.Write(portDevice + "/latency_timer", std::to_string(*adapter.LatencyTimerMs) + "\n");
    }
    const std::string tty = portDevice + "/tty/" + adapter.TtyName;
    root_.Folder(tty);
    Symlink(fs::path("../.."), root_ / (tty + "/device"));
    Symlink(root_ / tty, root_ / ("sys/class/tty/" + adapter.TtyName));
    root_.Write("dev/" + adapter.TtyName, "");
}

void FakeSysfs::AddUart(const std::string& ttyName, int type) {
    const std::string platformDevice = "sys/devices/platform/serial8250";
    const std::string tty = platformDevice + "/tty/" + ttyName;
    root_.Write(tty + "/type", std::to_string(type) + "\n");
    Symlink(fs::path("../.."), root_ / (tty + "/device"));
    Symlink(root_ / tty, root_ / ("sys/class/tty/" + ttyName));
    root_.Write("dev/" + ttyName, "");
}

void FakeSysfs::AddVirtualTerminal(const std::string& ttyName) {
    const std::string tty = "sys/devices/virtual/tty/" + ttyName;
    root_.Folder(tty);
    Symlink(root_ / tty, root_ / ("sys/class/tty/" + ttyName));
    root_.Write("dev/" + ttyName, "");
}

std::string FakeSysfs::AddPseudoTerminal(int number) {
    return root_.Write("dev/pts/" + std::to_string(number), "");
}

void FakeSysfs::Link(int comNumber, const std::string& target) {
    Symlink(target, root_ / ("program/ports/com" + std::to_string(comNumber)));
}

std::string FakeSysfs::DevPath(const std::string& name) const {
    return (root_ / ("dev/" + name)).string();
}

serial::InventoryRoots FakeSysfs::Roots() const {
    return {(root_ / "sys").string(), (root_ / "dev").string(), (root_ / "program").string() + "/"};
}

}  // namespace flash410::test_support
