// The component on a real terminal device: a pseudo-terminal whose far end the test plays.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <thread>

#include "linked_serial_fixture.h"
#include "serial/line_settings_posix.h"
#include "serial/serial_port.h"
#include "support/pseudo_terminal.h"

namespace flash410::serial {
namespace {

using test_support::PseudoTerminal;
using ::testing::HasSubstr;

std::string AllByteValues() {
    std::string bytes;
    for (int value = 0; value < 256; ++value) bytes.push_back(static_cast<char>(value));
    return bytes;
}

// COM3 leads to a pseudo-terminal whose far end the test plays.
class SerialOnPseudoTerminal : public testing::LinkedSerialFixture {
  protected:
    SerialOnPseudoTerminal() : serial_(MakeSerialOn(3, pty_.slavePath())) {}

    void Open() {
        serial_->SetActive(true);
        ASSERT_TRUE(serial_->Active()) << serial_->ErrorText();
    }

    PseudoTerminal pty_;
    std::unique_ptr<SerialPort> serial_;
};

TEST_F(SerialOnPseudoTerminal, EveryByteValuePassesUnchangedBothWays) {
    Open();
    for (char byte : AllByteValues()) serial_->WriteChar(static_cast<std::uint8_t>(byte));
    EXPECT_EQ(pty_.Receive(256), AllByteValues());
    serial_->WriteString(AllByteValues());
    EXPECT_EQ(pty_.Receive(256), AllByteValues());

    std::string received;
    serial_->OnRxData = [&](SerialPort* sender) {
        std::string text;
        sender->ReadString(text);
        received += text;
    };
    pty_.Send(AllByteValues());
    ASSERT_TRUE(ui_.RunUntil([&] { return received.size() >= 256; }));
    EXPECT_EQ(received, AllByteValues());
    EXPECT_TRUE(errorBoxes_.empty());
}

TEST_F(SerialOnPseudoTerminal, ThePortNeverTakesTheNumberOfAClosedStandardStream) {
    // With standard input closed the device would open as descriptor 0; what the program reads or, for
    // descriptors 1 and 2, writes there would be the modem's line.
    const int savedInput = ::dup(STDIN_FILENO);
    ASSERT_GE(savedInput, 0);
    ::close(STDIN_FILENO);
    serial_->SetActive(true);
    const bool inputStillClosed = ::fcntl(STDIN_FILENO, F_GETFD) < 0;
    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);
    ASSERT_TRUE(serial_->Active()) << serial_->ErrorText();
    EXPECT_TRUE(inputStillClosed);
    serial_->WriteString("line");
    EXPECT_EQ(pty_.Receive(4), "line");
}

TEST_F(SerialOnPseudoTerminal, ReadStringOnAnEmptyQueueGivesNothingAtOnce) {
    Open();
    std::string text = "stale";
    EXPECT_EQ(serial_->ReadString(text), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(serial_->RxWaiting(), 0);
}

TEST_F(SerialOnPseudoTerminal, OneRxDataPerWakeUpAndTheBytesStayQueuedForTheHandler) {
    Open();
    int rxData = 0;
    std::int32_t waitingInHandler = -1;
    serial_->OnRxData = [&](SerialPort* sender) {
        ++rxData;
        waitingInHandler = sender->RxWaiting();
    };
    pty_.Send("HELLO");
    ASSERT_TRUE(ui_.RunUntil([&] { return rxData == 1 && waitingInHandler == 5; }))
        << "waiting in handler: " << waitingInHandler;
    // Unread bytes raise no further notification until new bytes arrive.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ui_.RunPending();
    EXPECT_EQ(rxData, 1);
    EXPECT_EQ(serial_->RxWaiting(), 5);
    pty_.Send("!");
    ASSERT_TRUE(ui_.RunUntil([&] { return rxData == 2; }));
    std::string text;
    EXPECT_EQ(serial_->ReadString(text), 6);
    EXPECT_EQ(text, "HELLO!");
}

TEST_F(SerialOnPseudoTerminal, LineSettingsReachTheDriver) {
    Open();
    TerminalSettingsView view;
    ASSERT_EQ(ReadLineSettings(pty_.masterFd(), view), 0);
    EXPECT_EQ(view.outputSpeed, 9600u);
    EXPECT_EQ(view.inputSpeed, 9600u);
    EXPECT_EQ(view.dataBits, 8);
    EXPECT_FALSE(view.parityEnabled);
    EXPECT_FALSE(view.parityChecked);
    EXPECT_FALSE(view.twoStopBits);
    EXPECT_FALSE(view.rtsCts);
    EXPECT_FALSE(view.xonXoff);
    EXPECT_TRUE(view.raw);

    for (int rate :
         {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000}) {
        serial_->SetBaudrate(rate);
        ASSERT_EQ(ReadLineSettings(pty_.masterFd(), view), 0);
        EXPECT_EQ(view.outputSpeed, static_cast<std::uint32_t>(rate));
        EXPECT_EQ(view.inputSpeed, static_cast<std::uint32_t>(rate));
    }

    serial_->SetStopBits(StopBits::kTwo);
    serial_->SetFlowMode(FlowControl::kRtsCts);
    ASSERT_EQ(ReadLineSettings(pty_.masterFd(), view), 0);
    EXPECT_TRUE(view.twoStopBits);
    EXPECT_TRUE(view.rtsCts);

    serial_->SetFlowMode(FlowControl::kXonXoff);
    ASSERT_EQ(ReadLineSettings(pty_.masterFd(), view), 0);
    EXPECT_FALSE(view.rtsCts);
    EXPECT_TRUE(view.xonXoff);
    EXPECT_EQ(view.xonChar, 17);
    EXPECT_EQ(view.xoffChar, 19);
    EXPECT_TRUE(serial_->Active());
    EXPECT_TRUE(errorBoxes_.empty());
}

// A pseudo-terminal always reports eight bits without parity, so framing is checked on the settings
// as they are handed to the driver.
TEST(TerminalSettings, DataBitsAndTheFiveParitiesTranslate) {
    LineSettings settings;
    settings.DataBits = DataBits::kSeven;
    settings.Parity = Parity::kMark;
    settings.CheckParity = true;
    TerminalSettingsView view = ViewOfLineSettings(MakeDeviceControlBlock(settings));
    EXPECT_EQ(view.dataBits, 7);
    EXPECT_TRUE(view.parityEnabled && view.parityOdd && view.parityStick);
    EXPECT_TRUE(view.parityChecked);
    EXPECT_TRUE(view.raw);

    const std::pair<Parity, std::array<bool, 3>> parities[] = {{Parity::kOdd, {true, true, false}},
                                                               {Parity::kEven, {true, false, false}},
                                                               {Parity::kSpace, {true, false, true}},
                                                               {Parity::kNone, {false, false, false}}};
    settings.DataBits = DataBits::kEight;
    settings.CheckParity = false;
    for (const auto& [parity, expected] : parities) {
        settings.Parity = parity;
        view = ViewOfLineSettings(MakeDeviceControlBlock(settings));
        EXPECT_EQ(view.dataBits, 8);
        EXPECT_FALSE(view.parityChecked);
        EXPECT_EQ(view.parityEnabled, expected[0]);
        EXPECT_EQ(view.parityOdd, expected[1]);
        EXPECT_EQ(view.parityStick, expected[2]);
    }
}

TEST_F(SerialOnPseudoTerminal, OpensAgainAfterAClose) {
    Open();
    serial_->SetActive(false);
    EXPECT_FALSE(serial_->Active());
    Open();
    serial_->WriteString("again");
    EXPECT_EQ(pty_.Receive(5), "again");
}

TEST_F(SerialOnPseudoTerminal, ASecondComponentOnTheSamePortIsToldItIsBusy) {
    Open();
    auto second = MakeSerialOn(3, pty_.slavePath());
    second->SetActive(true);
    EXPECT_FALSE(second->Active());
    EXPECT_EQ(second->ErrorCode(), EBUSY);
    ASSERT_EQ(errorBoxes_.size(), 1u);
    EXPECT_THAT(errorBoxes_[0], HasSubstr("COM3 (" + pty_.slavePath() + ")"));
    EXPECT_THAT(errorBoxes_[0], HasSubstr("busy"));
    // The first one is not disturbed.
    serial_->WriteString("still mine");
    EXPECT_EQ(pty_.Receive(10), "still mine");
}

TEST_F(SerialOnPseudoTerminal, AMissingDeviceIsNamedAndLeavesThePortClosed) {
    folder_.Link(4, "/dev/flash410-no-such-device");
    serial_->SetPort(4);
    serial_->SetActive(true);
    EXPECT_FALSE(serial_->Active());
    EXPECT_EQ(serial_->ErrorCode(), ENOENT);
    ASSERT_EQ(errorBoxes_.size(), 1u);
    EXPECT_THAT(errorBoxes_[0], HasSubstr("COM4 (/dev/flash410-no-such-device)"));
    EXPECT_THAT(errorBoxes_[0], HasSubstr("does not exist"));
}

TEST_F(SerialOnPseudoTerminal, AFileThatIsNotASerialPortIsRefused) {
    folder_.Link(6, "/dev/null");
    serial_->SetPort(6);
    serial_->SetActive(true);
    EXPECT_FALSE(serial_->Active());
    EXPECT_EQ(serial_->ErrorCode(), ENOTTY);
}

TEST_F(SerialOnPseudoTerminal, ClosingWhileDataFloodsInStopsAllNotifications) {
    std::atomic<bool> flooding{true};
    std::size_t received = 0;
    serial_->OnRxData = [&](SerialPort* sender) {
        std::string text;
        received += static_cast<std::size_t>(sender->ReadString(text));
    };
    Open();
    // The far end must not block once the port is closed and nobody reads any more.
    fcntl(pty_.masterFd(), F_SETFL, fcntl(pty_.masterFd(), F_GETFL) | O_NONBLOCK);
    std::thread far([&] {
        const std::string chunk(64, 'Z');
        while (flooding) {
            if (::write(pty_.masterFd(), chunk.data(), chunk.size()) < 0 && errno != EAGAIN)
                break;
            std::this_thread::yield();
        }
    });
    ASSERT_TRUE(ui_.RunUntil([&] { return received > 4096; }));
    serial_->SetActive(false);
    const std::size_t atClose = received;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ui_.RunPending();
    flooding = false;
    far.join();
    EXPECT_EQ(received, atClose);
    EXPECT_FALSE(serial_->Active());
    EXPECT_TRUE(errorBoxes_.empty());
}

TEST_F(SerialOnPseudoTerminal, TheFarEndVanishingIsReportedOnceAndClosesThePort) {
    Open();
    int rxData = 0;
    serial_->OnRxData = [&](SerialPort*) { ++rxData; };
    serial_->WriteString("partial block");
    // The link that led to the device goes first, as a simulator's does: the port map would now name
    // COM3's default device, but the message names the device that was opened.
    std::filesystem::remove(folder_.folder() + "ports/com3");
    pty_.Hangup();
    ASSERT_TRUE(ui_.RunUntil([&] { return !serial_->Active(); }));
    EXPECT_EQ(serial_->ErrorCode(), EIO);
    ASSERT_EQ(errorBoxes_.size(), 1u);
    EXPECT_THAT(errorBoxes_[0], HasSubstr("COM3 (" + pty_.slavePath() + ")"));
    EXPECT_THAT(errorBoxes_[0], HasSubstr("no longer available"));
    // Nothing spins and nothing more is reported; sending on the closed port is harmless.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(ui_.RunPending(), 0);
    for (int i = 0; i < 1031; ++i) serial_->WriteChar(0x55);
    EXPECT_EQ(errorBoxes_.size(), 1u);
    EXPECT_EQ(rxData, 0);
}

// A block that the line stops taking part-way: the write returns after its bound with the bytes that
// went, the report says how many, and the rest of the block is never sent.
TEST_F(SerialOnPseudoTerminal, ABlockTheLineStopsTakingPartWaySaysHowManyOfItsBytesWent) {
    serial_->SetBaudrate(38400);  // 269 ms of wire time a block, so a bound of 1269 ms
    Open();
    // Nobody reads the far end: blocks go whole until the pseudo-terminal's buffers are full.
    std::vector<std::uint8_t> block(1031);
    std::size_t taken = block.size();
    int blocks = 0;
    for (; blocks < 4096 && taken == block.size(); ++blocks) {
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<std::uint8_t>((i + blocks) % 251);
        taken = serial_->Write(block);
    }
    ASSERT_LT(taken, block.size());
    ASSERT_EQ(errorBoxes_.size(), 1u);
    EXPECT_THAT(errorBoxes_[0],
                HasSubstr("COM3 (" + pty_.slavePath() + ") is not taking the bytes written to it: " +
                          std::to_string(taken) + " of 1031 bytes went within 1269 ms"));
    EXPECT_EQ(serial_->BytesWritten(), (blocks - 1) * block.size() + taken);

    // The far end reads again: it gets the whole blocks and the part of the last one, and nothing more.
    const std::string received = pty_.Receive(serial_->BytesWritten());
    ASSERT_EQ(received.size(), serial_->BytesWritten());
    EXPECT_EQ(received.substr(received.size() - taken),
              std::string(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(taken)));
    EXPECT_EQ(pty_.Receive(1, 300), "");
}

TEST_F(SerialOnPseudoTerminal, AWriteThatCannotFinishIsReportedAfterItsBound) {
    serial_->SetBaudrate(38400);  // a bound of 500 ms for any length
    Open();
    // Nobody reads the far end: the pseudo-terminal's buffers fill and the write cannot finish.
    const std::string big(64 * 1024, 'B');
    for (int i = 0; i < 8 && errorBoxes_.empty(); ++i) serial_->WriteString(big);
    ASSERT_FALSE(errorBoxes_.empty());
    EXPECT_EQ(serial_->ErrorCode(), ETIMEDOUT);
    EXPECT_THAT(errorBoxes_[0], HasSubstr("COM3 (" + pty_.slavePath() + ") is not taking the bytes"));
    EXPECT_TRUE(serial_->Active());

    // A stalled line is reported once, not once for every byte of a block.
    for (int i = 0; i < 1031; ++i) serial_->WriteChar(0x55);
    EXPECT_EQ(errorBoxes_.size(), 1u);

    // Once the far end reads again, bytes go through as before.
    fcntl(pty_.masterFd(), F_SETFL, fcntl(pty_.masterFd(), F_GETFL) | O_NONBLOCK);
    char sink[65536];
    std::uint64_t drained = 0;
    for (ssize_t count; (count = ::read(pty_.masterFd(), sink, sizeof sink)) > 0;) {
        drained += static_cast<std::uint64_t>(count);
    }
    serial_->WriteString("moving");
    // The bytes counted as written are those the driver took, not those asked for: what is still on its
    // way ends with the last write.
    ASSERT_GE(serial_->BytesWritten(), drained + 6);
    const std::size_t inFlight = serial_->BytesWritten() - drained;
    const std::string rest = pty_.Receive(inFlight);
    EXPECT_EQ(rest.size(), inFlight);
    EXPECT_TRUE(rest.ends_with("moving"));
    EXPECT_EQ(errorBoxes_.size(), 1u);
}

}  // namespace
}  // namespace flash410::serial
