// Whether a port is busy is decided by which other processes hold its device. The holder scan leaves
// out this process, so the other programs on the line are real processes (line_peer), each of which says
// on a pipe when it is ready.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "line_peer_process.h"
#include "linked_serial_fixture.h"
#include "serial/serial_port.h"
#include "support/pseudo_terminal.h"

namespace flash410::serial {
namespace {

using test_support::PseudoTerminal;
using ::testing::HasSubstr;
using testing::LinePeerProcess;
using ::testing::Not;
using ::testing::StartsWith;

std::string NamedAs(const LinePeerProcess& peer) {
    return "line_peer (process " + std::to_string(peer.pid()) + ")";
}

using BusyPort = testing::LinkedSerialFixture;

TEST_F(BusyPort, APseudoTerminalHeldOnlyByItsFarEndOpensAndCarriesBytesBothWays) {
    // Like a virtual null modem, the far end keeps the slave side open as well as the master side.
    const LinePeerProcess farEnd({"far-end"});
    ASSERT_THAT(farEnd.firstLine(), StartsWith("/dev/"));
    const auto serial = MakeSerialOn(3, farEnd.firstLine());
    std::string echoed;
    serial->OnRxData = [&](SerialPort* sender) {
        std::string text;
        sender->ReadString(text);
        echoed += text;
    };

    serial->SetActive(true);
    ASSERT_TRUE(serial->Active()) << serial->ErrorText();
    serial->WriteString("UPLOAD\r");
    ASSERT_TRUE(ui_.RunUntil([&] { return echoed.size() >= 7; }));
    EXPECT_EQ(echoed, "UPLOAD\r");
    EXPECT_TRUE(errorBoxes_.empty());
    serial->SetActive(false);
}

TEST_F(BusyPort, AThirdProgramOnAPseudoTerminalMakesItBusyAndIsTheOneNamed) {
    const LinePeerProcess farEnd({"far-end"});
    ASSERT_THAT(farEnd.firstLine(), StartsWith("/dev/"));
    const LinePeerProcess rival({"hold", farEnd.firstLine()});
    ASSERT_EQ(rival.firstLine(), "ready");
    const auto serial = MakeSerialOn(3, farEnd.firstLine());

    serial->SetActive(true);
    EXPECT_FALSE(serial->Active());
    EXPECT_EQ(serial->ErrorCode(), EBUSY);
    ASSERT_EQ(errorBoxes_.size(), 1u);
    EXPECT_THAT(errorBoxes_[0], HasSubstr("It is in use by " + NamedAs(rival) + ". Close that program"));
    EXPECT_THAT(errorBoxes_[0], Not(HasSubstr(std::to_string(farEnd.pid()))));
}

// The rival also holds a pseudo-terminal master of its own, as a terminal multiplexer does for its
// windows: only the master of this very device makes a process its far end.
TEST_F(BusyPort, ADeviceHeldByAnotherProgramIsBusyAndTheProgramIsNamed) {
    const PseudoTerminal pty;
    const LinePeerProcess rival({"hold", pty.slavePath()});
    ASSERT_EQ(rival.firstLine(), "ready");
    const auto serial = MakeSerialOn(3, pty.slavePath());

    serial->SetActive(true);
    EXPECT_FALSE(serial->Active());
    EXPECT_EQ(serial->ErrorCode(), EBUSY);
    EXPECT_THAT(serial->ErrorText(), HasSubstr("COM3 (" + pty.slavePath() + ")"));
    EXPECT_THAT(serial->ErrorText(), HasSubstr("It is in use by " + NamedAs(rival) + "."));
}

}  // namespace
}  // namespace flash410::serial
