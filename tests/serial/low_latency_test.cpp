// The request for low latency: made on every open, only the one flag added, and a driver's refusal (a
// pseudo-terminal's) harmless.
#include "serial/low_latency_linux.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "serial/serial_device_linux.h"
#include "support/pseudo_terminal.h"

namespace flash410::serial {
namespace {

struct SerialInfoRequest {
    int Fd;
    unsigned long Request;
    int Flags;
};

// A driver with serial flags, recording what it is asked; refuses with refusal when it is not 0.
SerialInfoCall RecordingDriver(std::vector<SerialInfoRequest>& requests, int reportedFlags, int refusal = 0) {
    return [&requests, reportedFlags, refusal](int fd, unsigned long request, serial_struct& info) {
        if (request == TIOCGSERIAL) {
            info.flags = reportedFlags;
        }
        requests.push_back({fd, request, info.flags});
        errno = refusal;
        return refusal == 0 ? 0 : -1;
    };
}

TEST(LowLatency, OnlyTheLowLatencyFlagIsAddedToWhatTheDriverReports) {
    std::vector<SerialInfoRequest> requests;
    EXPECT_EQ(RequestLowLatency(7, RecordingDriver(requests, ASYNC_SKIP_TEST)), 0);
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests[0].Request, static_cast<unsigned long>(TIOCGSERIAL));
    EXPECT_EQ(requests[1].Fd, 7);
    EXPECT_EQ(requests[1].Request, static_cast<unsigned long>(TIOCSSERIAL));
    EXPECT_EQ(requests[1].Flags, ASYNC_SKIP_TEST | ASYNC_LOW_LATENCY);
}

TEST(LowLatency, ADriverWithoutSerialFlagsIsNotAskedToChangeThem) {
    std::vector<SerialInfoRequest> requests;
    EXPECT_EQ(RequestLowLatency(7, RecordingDriver(requests, 0, ENOTTY)), ENOTTY);
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].Request, static_cast<unsigned long>(TIOCGSERIAL));
}

TEST(LowLatency, EveryOpenAsksTheDriver) {
    test_support::PseudoTerminal pty;
    std::vector<SerialInfoRequest> requests;
    LinuxSerialDevice device(RecordingDriver(requests, 0));
    ASSERT_FALSE(device.Open(pty.slavePath()));
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests[1].Request, static_cast<unsigned long>(TIOCSSERIAL));
    EXPECT_EQ(requests[1].Flags, ASYNC_LOW_LATENCY);
    device.Close();
}

TEST(LowLatency, APseudoTerminalRefusesAndItsPortWorksAsItIs) {
    test_support::PseudoTerminal pty;
    std::vector<SerialInfoRequest> requests;
    const SerialInfoCall system = SystemSerialInfoCall;
    LinuxSerialDevice device([&](int fd, unsigned long request, serial_struct& info) {
        const int result = system(fd, request, info);
        requests.push_back({fd, request, result});
        return result;
    });
    ASSERT_FALSE(device.Open(pty.slavePath()));
    ASSERT_EQ(requests.size(), 1U);  // refused: nothing set
    EXPECT_EQ(requests[0].Flags, -1);

    const std::uint8_t byte = 0x5A;
    const TransferResult written = device.Write(&byte, 1, 1000);
    EXPECT_FALSE(written.error) << written.error.text;
    EXPECT_EQ(pty.Receive(1), "Z");
    device.Close();
}

}  // namespace
}  // namespace flash410::serial
