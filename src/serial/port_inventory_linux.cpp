// The ports present on Linux, read from sysfs and the operator's port links; no other program is run.
//
// sysfs shows each terminal as /sys/class/tty/NAME. One with a "device" link is backed by hardware: walked
// up from there, a USB adapter's device directory has idVendor, idProduct and the strings the adapter
// reports; the tty's own device directory (the usb-serial port) has FTDI's latency_timer; the driver is the
// "driver" link of the first directory on the way that has one. A built-in UART's driver registers every
// port it could have, present or not: its "type" is 0 (PORT_UNKNOWN) where no UART answered.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/plain_text.h"
#include "serial/device_holders.h"
#include "serial/device_identity.h"
#include "serial/port_inventory.h"
#include "serial/port_map.h"

namespace flash410::serial {

namespace fs = std::filesystem;

namespace {

// The COM numbers the port map gives on Linux.
constexpr int kHighestPortNumber = 19;
// A UART's type in sysfs when the driver found none at that address.
constexpr int kUnknownUartType = 0;

std::string ReadAttribute(const fs::path& file) {
    std::ifstream stream(file);
    std::string line;
    std::getline(stream, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) {
        line.pop_back();
    }
    return line;
}

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// The USB device directory at or above the tty's device, within sysfs.
std::optional<fs::path> UsbDeviceFolder(const fs::path& deviceFolder, const fs::path& sysRoot) {
    for (fs::path folder = deviceFolder; folder != sysRoot && folder.has_relative_path();
         folder = folder.parent_path()) {
        if (Exists(folder / "idVendor")) {
            return folder;
        }
    }
    return std::nullopt;
}

// The name of the driver bound nearest the tty: the usb-serial port's own (ftdi_sio) or its interface's
// (cdc_acm binds the interface itself).
std::string DriverName(const fs::path& deviceFolder, const fs::path& usbFolder) {
    for (fs::path folder = deviceFolder; folder != usbFolder && folder.has_relative_path();
         folder = folder.parent_path()) {
        std::error_code error;
        const fs::path driver = fs::read_symlink(folder / "driver", error);
        if (!error) {
            return driver.filename().string();
        }
    }
    return {};
}

UsbIdentity ReadUsbIdentity(const fs::path& deviceFolder, const fs::path& usbFolder) {
    UsbIdentity usb;
    usb.VendorId = platform::AsciiLowerCase(ReadAttribute(usbFolder / "idVendor"));
    usb.ProductId = platform::AsciiLowerCase(ReadAttribute(usbFolder / "idProduct"));
    usb.Manufacturer = ReadAttribute(usbFolder / "manufacturer");
    usb.Product = ReadAttribute(usbFolder / "product");
    usb.SerialNumber = ReadAttribute(usbFolder / "serial");
    usb.Driver = DriverName(deviceFolder, usbFolder);
    usb.LatencyTimerMs = platform::WholeNumber(ReadAttribute(deviceFolder / "latency_timer"));
    return usb;
}

// A terminal that sysfs shows, with its name there (ttyUSB0).
struct SysfsPort {
    std::string Name;
    PortDescription Port;
};

std::optional<SysfsPort> DescribeTerminal(const fs::path& classEntry, const fs::path& sysRoot,
                                          const std::string& devRoot) {
    std::error_code error;
    const fs::path deviceFolder = fs::canonical(classEntry / "device", error);
    if (error) {
        return std::nullopt;  // a virtual terminal, a console, a pseudo-terminal: no hardware behind it
    }
    SysfsPort found;
    found.Name = classEntry.filename().string();
    found.Port.Device = devRoot + "/" + found.Name;
    if (const std::optional<fs::path> usbFolder = UsbDeviceFolder(deviceFolder, sysRoot)) {
        found.Port.Kind = PortKind::kUsbAdapter;
        found.Port.Usb = ReadUsbIdentity(deviceFolder, *usbFolder);
        return found;
    }
    if (!Exists(classEntry / "type")) {
        found.Port.Kind = PortKind::kOther;
        return found;
    }
    const std::optional<int> type = platform::WholeNumber(ReadAttribute(classEntry / "type"));
    if (!type || *type == kUnknownUartType) {
        return std::nullopt;
    }
    found.Port.Kind = PortKind::kBuiltIn;
    return found;
}

std::vector<SysfsPort> TerminalsOfSysfs(const std::string& sysRootText, const std::string& devRoot) {
    std::error_code error;
    const fs::path sysRoot = fs::weakly_canonical(sysRootText, error);
    std::vector<SysfsPort> terminals;
    for (fs::directory_iterator it(sysRoot / "class" / "tty", error), end; !error && it != end;
         it.increment(error)) {
        if (std::optional<SysfsPort> terminal = DescribeTerminal(it->path(), sysRoot, devRoot)) {
            terminals.push_back(std::move(*terminal));
        }
    }
    return terminals;
}

// Gives each terminal reached through a port link that link's number, and lists what the other links
// lead to. A link that leads nowhere is no port present.
void AddPortLinks(const InventoryRoots& roots, std::vector<SysfsPort>& terminals) {
    if (roots.LinkFolder.empty()) {
        return;
    }
    const PortMap map(roots.LinkFolder);
    std::error_code error;
    const fs::path ptyFolder = fs::weakly_canonical(fs::path(roots.DevRoot) / "pts", error);
    for (int number = 1; number <= kHighestPortNumber; ++number) {
        const std::string path = map.DevicePath(number);
        if (!path.starts_with(roots.LinkFolder) || !fs::is_symlink(fs::symlink_status(path, error))) {
            continue;
        }
        const fs::path device = fs::canonical(path, error);
        if (error) {
            continue;
        }
        const auto reached = std::find_if(terminals.begin(), terminals.end(), [&](const SysfsPort& terminal) {
            return DeviceIdentity(terminal.Port.Device) == device.string();
        });
        if (reached != terminals.end()) {
            if (reached->Port.ComNumber == 0) {
                reached->Port.ComNumber = number;
                reached->Port.LinkTarget = map.ResolvedDevicePath(number);
            }
            continue;
        }
        SysfsPort linked;
        linked.Port.ComNumber = number;
        linked.Port.Device = device.string();
        linked.Port.LinkTarget = map.ResolvedDevicePath(number);
        linked.Port.Kind =
            device.parent_path() == ptyFolder ? PortKind::kPseudoTerminal : PortKind::kOperatorLink;
        terminals.push_back(std::move(linked));
    }
}

// The port map's own numbers (ttyS0-3, ttyUSB0-7, ttyACM0-6) for terminals no link has numbered. A
// number that has a link, even one leading nowhere, is the link's: the program opens the link for it.
void AddSystemNumbers(const std::string& linkFolder, std::vector<SysfsPort>& terminals) {
    const PortMap map(linkFolder);
    for (SysfsPort& terminal : terminals) {
        for (int number = 1;
             number <= kHighestPortNumber && terminal.Port.ComNumber == 0 && !terminal.Name.empty();
             ++number) {
            if (fs::path(map.DevicePath(number)).filename() == terminal.Name) {
                terminal.Port.ComNumber = number;
            }
        }
    }
}

// The program holding the device, as the busy error of an open names it.
std::string HolderOf(const std::string& device) {
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) {
        return {};
    }
    return DescribeHolders(FindRivalDeviceHolders(info.st_rdev));
}

}  // namespace

std::vector<PortDescription> ListPorts(const InventoryRoots& roots, PortHolders holders) {
    std::vector<SysfsPort> terminals = TerminalsOfSysfs(roots.SysRoot, roots.DevRoot);
    AddPortLinks(roots, terminals);
    AddSystemNumbers(roots.LinkFolder, terminals);
    std::vector<PortDescription> ports;
    for (SysfsPort& terminal : terminals) {
        if (holders == PortHolders::kLookedUp) {
            terminal.Port.InUseBy = HolderOf(terminal.Port.Device);
        }
        ports.push_back(std::move(terminal.Port));
    }
    SortPorts(ports);
    return ports;
}

}  // namespace flash410::serial
