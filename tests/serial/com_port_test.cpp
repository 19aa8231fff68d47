// The serial component on a Windows COM port, run under Wine. The build script maps the port to a
// pseudo-terminal that socat makes afresh for each TCP connection to it: the test's connection is the far
// end of the line, and closing it takes the pseudo-terminal away as a pulled adapter would.
//
// FLASH410_WINE_COM="N:TCPPORT" names the port and the TCP port; without it the tests that need a line
// are skipped.
#include <winsock2.h>

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "serial/serial_device_win32.h"
#include "serial/serial_port.h"
#include "support/test_ui_thread.h"
#include "support/wired_serial.h"

namespace flash410::serial {
namespace {

using test_support::TestUiThread;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// A guard against a hang, not a limit the tests measure.
constexpr std::chrono::seconds kGuard{20};

struct LineSetup {
    int comPort = 0;
    unsigned short tcpPort = 0;
};

std::optional<LineSetup> LineFromEnvironment() {
    const char* value = std::getenv("FLASH410_WINE_COM");
    LineSetup setup;
    unsigned tcpPort = 0;
    if (value == nullptr || std::sscanf(value, "%d:%u", &setup.comPort, &tcpPort) != 2 || setup.comPort < 1 ||
        tcpPort == 0 || tcpPort > 65535) {
        return std::nullopt;
    }
    setup.tcpPort = static_cast<unsigned short>(tcpPort);
    return setup;
}

std::string AllByteValues() {
    std::string bytes;
    for (int value = 0; value < 256; ++value) bytes.push_back(static_cast<char>(value));
    return bytes;
}

// The far end of the line: a TCP connection to the socat that serves the port.
class FarEnd {
  public:
    explicit FarEnd(unsigned short tcpPort) {
        WSADATA data{};
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(tcpPort);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = socket_ != INVALID_SOCKET &&
                     ::connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;
    ~FarEnd() {
        Close();
        if (started_) {
            WSACleanup();
        }
    }

    bool connected() const { return connected_; }

    bool Send(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const int count = ::send(socket_, bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
            if (count <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(count);
        }
        return true;
    }

    // Up to count bytes, or fewer when the guard passes first.
    std::string Receive(std::size_t count) {
        std::string received;
        const auto deadline = std::chrono::steady_clock::now() + kGuard;
        while (received.size() < count && std::chrono::steady_clock::now() < deadline) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(socket_, &readable);
            timeval wait{0, 100'000};
            if (::select(0, &readable, nullptr, nullptr, &wait) <= 0) {
                continue;
            }
            char buffer[512];
            const int got = ::recv(socket_, buffer, static_cast<int>(sizeof buffer), 0);
            if (got <= 0) {
                break;
            }
            received.append(buffer, static_cast<std::size_t>(got));
        }
        return received;
    }

    // Reads whatever comes until nothing more has come for a while; returns the count.
    std::size_t Drain() {
        std::size_t count = 0;
        const auto deadline = std::chrono::steady_clock::now() + kGuard;
        while (std::chrono::steady_clock::now() < deadline) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(socket_, &readable);
            timeval quiet{0, 500'000};
            if (::select(0, &readable, nullptr, nullptr, &quiet) <= 0) {
                break;
            }
            char buffer[65536];
            const int got = ::recv(socket_, buffer, static_cast<int>(sizeof buffer), 0);
            if (got <= 0) {
                break;
            }
            count += static_cast<std::size_t>(got);
        }
        return count;
    }

    // The line goes: socat closes its side of the pseudo-terminal.
    void Close() {
        if (socket_ != INVALID_SOCKET) {
            ::closesocket(socket_);
            socket_ = INVALID_SOCKET;
        }
    }

  private:
    bool started_ = false;
    bool connected_ = false;
    SOCKET socket_ = INVALID_SOCKET;
};

class SerialOnComPort : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::optional<LineSetup> line = LineFromEnvironment();
        if (!line) {
            GTEST_SKIP() << "FLASH410_WINE_COM is not set: no COM port is mapped to a pseudo-terminal "
                            "(scripts/build-windows.sh sets it)";
        }
        port_ = line->comPort;
        far_.emplace(line->tcpPort);
        ASSERT_TRUE(far_->connected()) << "nothing serves COM" << port_ << " on TCP port " << line->tcpPort;
        serial_ = MakeSerial();
        // socat makes the pseudo-terminal once the connection is there: open as soon as it is.
        const auto deadline = std::chrono::steady_clock::now() + kGuard;
        for (;;) {
            errorBoxes_.clear();
            serial_->SetActive(true);
            if (serial_->Active() || std::chrono::steady_clock::now() >= deadline) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ASSERT_TRUE(serial_->Active()) << serial_->ErrorText();
        errorBoxes_.clear();
    }

    void TearDown() override {
        if (!far_) {
            return;
        }
        serial_.reset();
        far_.reset();
        // socat takes this test's pseudo-terminal and its link away a moment after the connection ends
        // (once it is not held up writing to a full line: what waits there is thrown away); the next
        // test must find only its own.
        const std::string device = "\\\\.\\" + ComName();
        const auto deadline = std::chrono::steady_clock::now() + kGuard;
        while (std::chrono::steady_clock::now() < deadline) {
            const HANDLE port = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, 0, nullptr);
            if (port == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
                return;
            }
            if (port != INVALID_HANDLE_VALUE) {
                PurgeComm(port, PURGE_RXCLEAR);
                CloseHandle(port);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ADD_FAILURE() << ComName() << " is still there after its connection ended";
    }

    std::unique_ptr<SerialPort> MakeSerial() {
        auto serial = test_support::MakeWiredSerial(ui_, "", errorBoxes_);
        serial->SetPort(static_cast<PortNumber>(port_));
        return serial;
    }

    std::string ComName() const { return "COM" + std::to_string(port_); }

    TestUiThread ui_;
    int port_ = 0;
    std::optional<FarEnd> far_;
    std::vector<std::string> errorBoxes_;
    std::unique_ptr<SerialPort> serial_;
};

TEST_F(SerialOnComPort, EveryByteValuePassesUnchangedBothWays) {
    for (char byte : AllByteValues()) serial_->WriteChar(static_cast<std::uint8_t>(byte));
    EXPECT_EQ(far_->Receive(256), AllByteValues());
    serial_->WriteString(AllByteValues());
    EXPECT_EQ(far_->Receive(256), AllByteValues());

    std::string received;
    serial_->OnRxData = [&](SerialPort* sender) {
        std::string text;
        sender->ReadString(text);
        received += text;
    };
    ASSERT_TRUE(far_->Send(AllByteValues()));
    ASSERT_TRUE(ui_.RunUntil([&] { return received.size() >= 256; }, kGuard));
    EXPECT_EQ(received, AllByteValues());
    EXPECT_TRUE(errorBoxes_.empty()) << errorBoxes_.front();
}

TEST_F(SerialOnComPort, ClosingWhileDataFloodsInStopsAllNotifications) {
    std::atomic<bool> flooding{true};
    std::size_t received = 0;
    serial_->OnRxData = [&](SerialPort* sender) {
        std::string text;
        received += static_cast<std::size_t>(sender->ReadString(text));
    };
    std::thread flood([&] {
        const std::string chunk(64, 'Z');
        while (flooding && far_->Send(chunk)) {
        }
    });
    const bool floodedIn = ui_.RunUntil([&] { return received > 4096; }, kGuard);
    serial_->SetActive(false);
    const std::size_t atClose = received;
    // Whatever the event thread had posted before the close is called off, and nothing new comes.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ui_.RunPending();
    flooding = false;
    far_->Close();  // ends a send that waits for room
    flood.join();
    ASSERT_TRUE(floodedIn);
    EXPECT_EQ(received, atClose);
    EXPECT_FALSE(serial_->Active());
    EXPECT_TRUE(errorBoxes_.empty()) << errorBoxes_.front();
}

// Wine, unlike Windows, lets a second handle open a serial device that the first opened unshared: the
// port's reservation keeps the second out. By another spelling of the port, too.
TEST_F(SerialOnComPort, ASecondComponentOnTheSamePortIsToldItIsBusyUntilTheFirstCloses) {
    auto second = MakeSerial();
    second->SetActive(true);
    EXPECT_FALSE(second->Active());
    EXPECT_EQ(second->ErrorCode(), ERROR_SHARING_VIOLATION);
    ASSERT_EQ(errorBoxes_.size(), 1u);
    EXPECT_THAT(errorBoxes_[0], StartsWith("Cannot open " + ComName() + ": "));
    EXPECT_THAT(errorBoxes_[0], HasSubstr("Another program is using it. Close that program and try again."));
    auto byDevicePath = MakeSerial();
    PortMap lowerCase;
    lowerCase.AssignDevice(port_, "\\\\.\\com" + std::to_string(port_));
    byDevicePath->SetPortMap(lowerCase);
    byDevicePath->SetActive(true);
    EXPECT_FALSE(byDevicePath->Active());
    EXPECT_EQ(byDevicePath->ErrorCode(), ERROR_SHARING_VIOLATION);
    // The first one is not disturbed.
    serial_->WriteString("still mine");
    EXPECT_EQ(far_->Receive(10), "still mine");

    serial_->SetActive(false);
    second->SetActive(true);
    EXPECT_TRUE(second->Active()) << second->ErrorText();
    second->WriteString("now mine");
    EXPECT_EQ(far_->Receive(8), "now mine");
}

TEST_F(SerialOnComPort, TheFarEndVanishingIsReportedOnceAndClosesThePort) {
    int rxData = 0;
    serial_->OnRxData = [&](SerialPort*) { ++rxData; };
    far_->Close();
    // The driver reports the line gone to the event wait, or at the latest to the next write.
    const auto deadline = std::chrono::steady_clock::now() + kGuard;
    while (serial_->Active() && std::chrono::steady_clock::now() < deadline) {
        if (!ui_.RunUntil([&] { return !serial_->Active(); }, std::chrono::milliseconds(200))) {
            serial_->WriteString("anyone there?");
        }
    }
    ASSERT_FALSE(serial_->Active());
    ASSERT_EQ(errorBoxes_.size(), 1u);
    EXPECT_THAT(errorBoxes_[0], StartsWith(ComName() + " is no longer available ("));
    // Nothing more is reported; sending on the closed port is harmless.
    for (int i = 0; i < 1031; ++i) serial_->WriteChar(0x55);
    ui_.RunPending();
    EXPECT_EQ(errorBoxes_.size(), 1u);
    EXPECT_EQ(rxData, 0);
}

TEST_F(SerialOnComPort, AWriteThatCannotFinishIsReportedAfterItsBound) {
    serial_->SetBaudrate(38400);  // a bound of 500 ms for any length
    // The far end reads nothing: socket, socat and pseudo-terminal fill up and a write cannot finish.
    const std::string big(64 * 1024, 'B');
    std::size_t written = 0;
    for (int i = 0; i < 512 && errorBoxes_.empty(); ++i) {
        serial_->WriteString(big);
        written += big.size();
    }
    ASSERT_FALSE(errorBoxes_.empty());
    EXPECT_EQ(serial_->ErrorCode(), ERROR_TIMEOUT);
    EXPECT_THAT(errorBoxes_[0], StartsWith(ComName() + " is not taking the bytes written to it: "));
    EXPECT_TRUE(serial_->Active());

    // A stalled line is reported once, not once for every byte of a block.
    for (int i = 0; i < 1031; ++i) serial_->WriteChar(0x55);
    EXPECT_EQ(errorBoxes_.size(), 1u);

    // Once the far end reads again, bytes go through as before.
    const std::size_t drained = far_->Drain();
    EXPECT_GT(drained, 0u);
    EXPECT_LE(drained, written);
    serial_->WriteString("moving");
    EXPECT_EQ(far_->Receive(6), "moving");
    EXPECT_EQ(errorBoxes_.size(), 1u);
}

// A block that the line stops taking part-way: one overlapped write returns after its bound with the
// bytes that went, and the report says how many.
TEST_F(SerialOnComPort, ABlockTheLineStopsTakingPartWaySaysHowManyOfItsBytesWent) {
    serial_->SetBaudrate(38400);  // 269 ms of wire time a block, so a bound of 1269 ms
    // The far end reads nothing: blocks go whole until socket, socat and pseudo-terminal are full.
    std::vector<std::uint8_t> block(1031, 0x5A);
    std::size_t taken = block.size();
    std::uint64_t blocks = 0;
    for (; blocks < 64 * 1024 && taken == block.size(); ++blocks) {
        taken = serial_->Write(block);
    }
    ASSERT_LT(taken, block.size());
    ASSERT_EQ(errorBoxes_.size(), 1u);
    EXPECT_EQ(serial_->ErrorCode(), ERROR_TIMEOUT);
    EXPECT_THAT(errorBoxes_[0], StartsWith(ComName() + " is not taking the bytes written to it: " +
                                           std::to_string(taken) + " of 1031 bytes went within 1269 ms"));
    EXPECT_EQ(serial_->BytesWritten(), (blocks - 1) * block.size() + taken);
    EXPECT_TRUE(serial_->Active());
}

// Needs no line: a port that Wine maps to nothing.
TEST(SerialComPortMissing, AMissingPortIsNamedAndSaysItDoesNotExist) {
    TestUiThread ui;
    std::vector<std::string> errorBoxes;
    auto serial = test_support::MakeWiredSerial(ui, "", errorBoxes);
    serial->SetPort(250);
    serial->SetActive(true);
    EXPECT_FALSE(serial->Active());
    EXPECT_EQ(serial->ErrorCode(), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(errorBoxes.size(), 1u);
    EXPECT_THAT(errorBoxes[0], StartsWith("Cannot open COM250: "));
    EXPECT_THAT(errorBoxes[0], HasSubstr("The device does not exist"));
}

// A failed open lets the port's reservation go at once, not only when the device goes.
TEST(SerialComPortMissing, AFailedOpenLeavesThePortFreeForTheNextOpener) {
    Win32SerialDevice device;
    EXPECT_EQ(device.Open("\\\\.\\COM250").kind, ErrorKind::kMissing);
    EXPECT_EQ(device.Open("\\\\.\\COM250").kind, ErrorKind::kMissing);
    Win32SerialDevice other;
    EXPECT_EQ(other.Open("\\\\.\\COM250").kind, ErrorKind::kMissing);
}

}  // namespace
}  // namespace flash410::serial
