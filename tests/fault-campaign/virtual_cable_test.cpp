#include "campaign/virtual_cable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace flash410::campaign {
namespace {

using std::chrono::milliseconds;
using Status = modemsim::ModemLine::Status;

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(CableDirection, BytesArriveOneByteTimeApartBehindWhatIsStillOnItsWay) {
    CableDirection line;
    const VirtualTime byte = milliseconds(1);
    EXPECT_EQ(line.NextArrival(), kNever);
    EXPECT_EQ(line.Put(Bytes("ab"), VirtualTime{}, byte), milliseconds(2));
    // Put while "ab" still crosses: "cd" follows it back to back.
    EXPECT_EQ(line.Put(Bytes("cd"), milliseconds(1), byte), milliseconds(4));
    EXPECT_EQ(line.TakeArrived(milliseconds(0)), "");
    EXPECT_EQ(line.TakeArrived(milliseconds(3)), "abc");
    EXPECT_EQ(line.NextArrival(), milliseconds(4));
    EXPECT_FALSE(line.TakeOne(milliseconds(3)));
    EXPECT_EQ(line.TakeOne(milliseconds(4)), 'd');
    EXPECT_EQ(line.NextArrival(), kNever);
}

// Plays the program's side until nothing more is due, moving the clock to whatever comes next and reading
// what reaches the program as it arrives.
std::string RunToTheEnd(VirtualCable& cable) {
    std::string received;
    for (;;) {
        cable.SetHorizon(cable.ProgramArrival());
        cable.RunModem();
        const VirtualTime next = std::min(cable.ModemDue(), cable.ProgramArrival());
        if (next == kNever) {
            return received;
        }
        cable.AdvanceTo(next);
        std::string arrived;
        cable.Program().ReadString(arrived);
        received += arrived;
    }
}

TEST(VirtualCable, TheModemWaitsAndAnswersOnTheVirtualClockAtTheLinesPace) {
    std::vector<std::string> modemSaw;
    VirtualCable cable([&](modemsim::ModemLine& line) {
        const auto start = line.Now();
        EXPECT_TRUE(line.Pause(std::chrono::seconds(100)));  // costs nothing
        modemSaw.push_back("paused " + std::to_string((line.Now() - start) / milliseconds(1)) + " ms");
        const modemsim::ModemLine::Received first = line.Receive(std::nullopt);
        modemSaw.push_back(std::string(1, static_cast<char>(first.byte)) + " at " +
                           std::to_string(line.Now().time_since_epoch() / milliseconds(1)) + " ms");
        EXPECT_EQ(line.Send(Bytes("OK")), Status::kOk);
        EXPECT_EQ(line.Receive(line.Now() + milliseconds(50)).status, Status::kTimedOut);
    });
    serial::SerialLine& program = cable.Program();
    program.SetBaudrate(10000);  // a millisecond a byte
    program.SetActive(true);
    ASSERT_EQ(program.Write(Bytes("X")), 1u);
    EXPECT_EQ(RunToTheEnd(cable), "OK");
    // The byte written at 0 waited for the modem's pause to end.
    ASSERT_EQ(modemSaw.size(), 2u);
    EXPECT_EQ(modemSaw[0], "paused 100000 ms");
    EXPECT_EQ(modemSaw[1], "X at 100000 ms");
    EXPECT_EQ(cable.Now(), std::chrono::milliseconds(100052));
    cable.StopModem();
    EXPECT_EQ(cable.ModemFailure(), "");
}

TEST(VirtualCable, APulledCableTakesThePartOfTheWriteBeforeItAndTheModemHearsAHangUp) {
    Status heard = Status::kOk;
    std::string received;
    VirtualCable cable([&](modemsim::ModemLine& line) {
        for (;;) {
            const modemsim::ModemLine::Received next = line.Receive(std::nullopt);
            if (next.status != Status::kOk) {
                heard = next.status;
                return;
            }
            received += static_cast<char>(next.byte);
        }
    });
    serial::SerialLine& program = cable.Program();
    program.SetActive(true);
    cable.PullOutAfterProgramBytes(3);
    EXPECT_EQ(program.Write(Bytes("UP")), 2u);
    EXPECT_EQ(program.Write(Bytes("LOAD")), 1u);
    EXPECT_TRUE(cable.PulledOut());
    EXPECT_FALSE(program.Active());
    EXPECT_EQ(program.Write(Bytes("X")), 0u);
    RunToTheEnd(cable);
    EXPECT_EQ(heard, Status::kHungUp);
    EXPECT_EQ(received, "");  // what was still on its way is lost with the cable
}

TEST(VirtualCable, StoppingEndsAModemThatWaitsForever) {
    Status heard = Status::kOk;
    VirtualCable cable([&](modemsim::ModemLine& line) { heard = line.Receive(std::nullopt).status; });
    cable.RunModem();
    cable.StopModem();
    EXPECT_EQ(heard, Status::kStopped);
}

}  // namespace
}  // namespace flash410::campaign
