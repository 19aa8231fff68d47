// The port list on Windows (under Wine): ports written into the registry's SERIALCOMM are listed, whether
// or not SetupAPI knows of them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "serial/port_inventory.h"

namespace flash410::serial {
namespace {

// Two ports written into SERIALCOMM for the test's length, under names no driver uses.
class SerialCommPorts {
  public:
    SerialCommPorts() {
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                            REG_OPTION_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        written_ = Set(L"\\Device\\Flash410Test5", L"COM5") && Set(L"\\Device\\Flash410Test6", L"COM6");
    }
    ~SerialCommPorts() {
        if (key_ != nullptr) {
            RegDeleteValueW(key_, L"\\Device\\Flash410Test5");
            RegDeleteValueW(key_, L"\\Device\\Flash410Test6");
            RegCloseKey(key_);
        }
    }
    SerialCommPorts(const SerialCommPorts&) = delete;
    SerialCommPorts& operator=(const SerialCommPorts&) = delete;

    bool written() const { return written_; }

  private:
    bool Set(const wchar_t* name, const std::wstring& port) {
        return RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                              static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

    HKEY key_ = nullptr;
    bool written_ = false;
};

TEST(PortInventoryWin32, PortsOfTheRegistryAreListedByTheirComNames) {
    const SerialCommPorts registry;
    ASSERT_TRUE(registry.written());

    const std::vector<PortDescription> ports = ListPorts({});

    for (const int number : {5, 6}) {
        const std::optional<PortDescription> port = FindPortOfNumber(ports, number);
        ASSERT_TRUE(port) << "COM" << number;
        EXPECT_EQ(port->Device, "\\\\.\\COM" + std::to_string(number));
        EXPECT_EQ(FindPortOfDevice(ports, "com" + std::to_string(number)), port);
    }
    EXPECT_EQ(std::count_if(ports.begin(), ports.end(),
                            [](const PortDescription& port) { return port.ComNumber == 5; }),
              1);
    EXPECT_TRUE(std::is_sorted(
        ports.begin(), ports.end(),
        [](const PortDescription& a, const PortDescription& b) { return a.ComNumber < b.ComNumber; }));
}

}  // namespace
}  // namespace flash410::serial
