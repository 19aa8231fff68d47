// What the operator reads when Windows refuses to open a port: the Windows codes sorted into the
// component's kinds, and the texts the component composes from them. Under Wine no port can be made busy
// or refused, so the refusal comes from a device that answers as Windows does.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/system_error_text_win32.h"
#include "serial/serial_port.h"
#include "serial/windows_error_win32.h"
#include "support/test_ui_thread.h"

namespace flash410::serial {
namespace {

using platform::WindowsErrorText;
using test_support::TestUiThread;

// Refuses to open with the given Windows code, as the Windows backend would.
class RefusingDevice final : public SerialDevice {
  public:
    RefusingDevice(DWORD code, std::string& openedPath) : code_(code), openedPath_(openedPath) {}

    SystemError Open(const std::string& path) override {
        openedPath_ = path;
        return WindowsOpenFailure(code_);
    }
    SystemError SetQueueSizes(std::uint16_t, std::uint16_t) override { return {}; }
    SystemError ApplyControlBlock(const DeviceControlBlock&) override { return {}; }
    SystemError SetTimeouts(const CommTimeouts&) override { return {}; }
    bool SetOutSignal(OutSignal, bool) override { return true; }
    SystemError Purge() override { return {}; }
    SystemError SetEventMask(std::uint32_t) override { return {}; }
    EventWaitResult WaitEvents() override { return {}; }
    ModemLines ReadModemLines() override { return {}; }
    SystemError QueueCounts(std::int32_t& rx, std::int32_t& tx) override {
        rx = 0;
        tx = 0;
        return {};
    }
    TransferResult Write(const std::uint8_t*, std::size_t, std::uint32_t) override { return {}; }
    TransferResult Read(std::uint8_t*, std::size_t) override { return {}; }
    SystemError Close() override { return {}; }

  private:
    DWORD code_;
    std::string& openedPath_;
};

struct RefusedOpen {
    std::vector<std::string> errorBoxes;
    std::string openedPath;  // what the device was asked to open
};

// A component that tries to open the COM port with a device refusing with the code.
RefusedOpen OpenRefused(int port, DWORD code) {
    TestUiThread ui;
    RefusedOpen refused;
    SerialEnvironment environment;
    environment.postToUiThread = ui.Poster();
    environment.showErrorBox = [&refused](const std::string& text) { refused.errorBoxes.push_back(text); };
    environment.makeDevice = [code, &refused] {
        return std::make_unique<RefusingDevice>(code, refused.openedPath);
    };
    SerialPort serial(std::move(environment));
    serial.SetPort(static_cast<PortNumber>(port));
    serial.SetActive(true);
    EXPECT_FALSE(serial.Active());
    EXPECT_EQ(serial.ErrorCode(), static_cast<std::int32_t>(code));
    return refused;
}

TEST(WindowsOpenFailure, CodesAreSortedIntoTheComponentsKinds) {
    EXPECT_EQ(WindowsOpenFailure(ERROR_ACCESS_DENIED).kind, ErrorKind::kBusy);
    EXPECT_EQ(WindowsOpenFailure(ERROR_SHARING_VIOLATION).kind, ErrorKind::kBusy);
    EXPECT_EQ(WindowsOpenFailure(ERROR_FILE_NOT_FOUND).kind, ErrorKind::kMissing);
    EXPECT_EQ(WindowsOpenFailure(ERROR_PATH_NOT_FOUND).kind, ErrorKind::kMissing);
    EXPECT_EQ(WindowsOpenFailure(ERROR_INVALID_FUNCTION).kind, ErrorKind::kNotSerialPort);
    EXPECT_EQ(WindowsOpenFailure(ERROR_NOT_ENOUGH_MEMORY).kind, ErrorKind::kOther);
    // Once the port was open, the same "access denied" means the adapter has gone.
    EXPECT_EQ(WindowsFailure(ERROR_ACCESS_DENIED).kind, ErrorKind::kGone);
    EXPECT_EQ(WindowsFailure(ERROR_DEVICE_REMOVED).kind, ErrorKind::kGone);
    EXPECT_EQ(WindowsFailure(ERROR_TIMEOUT).kind, ErrorKind::kOther);
}

// The text itself, without its full stop or line end, is the platform's (tests/platform).
TEST(WindowsOpenFailure, TheTextIsTheSystemsWordsForTheCode) {
    const SystemError error = WindowsOpenFailure(ERROR_ACCESS_DENIED);
    EXPECT_EQ(error.code, static_cast<int>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(error.text, WindowsErrorText(ERROR_ACCESS_DENIED));
}

TEST(WindowsOpenFailure, APortHeldByAnotherProgramIsNamedWithTheAdvice) {
    const RefusedOpen refused = OpenRefused(5, ERROR_ACCESS_DENIED);
    EXPECT_EQ(refused.errorBoxes,
              std::vector<std::string>{"Cannot open COM5: " + WindowsErrorText(ERROR_ACCESS_DENIED) +
                                       ". Another program is using it. Close that program and try again."});
    EXPECT_EQ(refused.openedPath, "\\\\.\\COM5");
}

TEST(WindowsOpenFailure, APortThatDoesNotExistSaysSo) {
    const RefusedOpen refused = OpenRefused(12, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(
        refused.errorBoxes,
        std::vector<std::string>{"Cannot open COM12: " + WindowsErrorText(ERROR_FILE_NOT_FOUND) +
                                 ". The device does not exist: check that the serial adapter is plugged in, "
                                 "or pick another port."});
    // Ports from 10 up can only be opened with the device prefix.
    EXPECT_EQ(refused.openedPath, "\\\\.\\COM12");
}

}  // namespace
}  // namespace flash410::serial
