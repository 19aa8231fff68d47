// The line settings the component derives from its properties: control block, time-outs, write bounds
// and valid rates.
#include <gtest/gtest.h>

#include "serial/device_control_block.h"

namespace flash410::serial {
namespace {

TEST(DeviceControlBlock, DefaultsGiveSevenBitsNoParityCheckedAndNoFlowControl) {
    const DeviceControlBlock dcb = MakeDeviceControlBlock(LineSettings{});
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.Flags, dcb_flag::kBinary | dcb_flag::kParity);
    EXPECT_EQ(dcb.XonLim, 341);
    EXPECT_EQ(dcb.XoffLim, 341);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.Parity, 0);
    EXPECT_EQ(dcb.StopBits, 0);
    EXPECT_EQ(dcb.XonChar, 17);
    EXPECT_EQ(dcb.XoffChar, 19);
    EXPECT_EQ(dcb.ErrorChar, 63);
    EXPECT_EQ(dcb.EofChar, 0);
    EXPECT_EQ(dcb.EvtChar, 0);
}

TEST(DeviceControlBlock, TheProgramsLineIsEightBitsWithoutParityCheck) {
    LineSettings settings;
    settings.Baudrate = 38400;
    settings.DataBits = DataBits::kEight;
    settings.CheckParity = false;
    const DeviceControlBlock dcb = MakeDeviceControlBlock(settings);
    EXPECT_EQ(dcb.BaudRate, 38400u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Flags, dcb_flag::kBinary);
}

TEST(DeviceControlBlock, FlowControlSetsOnlyItsOwnFlagBits) {
    LineSettings settings;
    settings.CheckParity = false;
    settings.FlowMode = FlowControl::kRtsCts;
    EXPECT_EQ(MakeDeviceControlBlock(settings).Flags, 0x2004u | dcb_flag::kBinary);
    settings.FlowMode = FlowControl::kDtrDsr;
    EXPECT_EQ(MakeDeviceControlBlock(settings).Flags, 0x28u | dcb_flag::kBinary);
    settings.FlowMode = FlowControl::kXonXoff;
    EXPECT_EQ(MakeDeviceControlBlock(settings).Flags, 0x300u | dcb_flag::kBinary);
}

TEST(DeviceControlBlock, ParityStopBitsAndQueueLimitsFollowTheProperties) {
    LineSettings settings;
    const std::pair<Parity, int> parities[] = {
        {Parity::kNone, 0}, {Parity::kOdd, 1}, {Parity::kEven, 2}, {Parity::kMark, 3}, {Parity::kSpace, 4}};
    for (const auto& [parity, code] : parities) {
        settings.Parity = parity;
        EXPECT_EQ(MakeDeviceControlBlock(settings).Parity, code);
    }
    settings.StopBits = StopBits::kTwo;
    settings.RxQueueSize = 100;
    const DeviceControlBlock dcb = MakeDeviceControlBlock(settings);
    EXPECT_EQ(dcb.StopBits, 2);
    EXPECT_EQ(dcb.XonLim, 33);
    EXPECT_EQ(dcb.XoffLim, 33);
}

TEST(CommTimeouts, ReadsReturnAtOnceAndWritesTimeOutOnlyUnderFlowControl) {
    const CommTimeouts plain = MakeCommTimeouts(FlowControl::kNone, {});
    EXPECT_EQ(plain.ReadIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(plain.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(plain.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(plain.WriteTotalTimeoutConstant, 0u);
    const CommTimeouts flow = MakeCommTimeouts(FlowControl::kRtsCts, plain);
    EXPECT_EQ(flow.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(flow.WriteTotalTimeoutConstant, 10000u);
    // Going back to no flow control leaves the write fields as they were.
    EXPECT_EQ(MakeCommTimeouts(FlowControl::kNone, flow).WriteTotalTimeoutConstant, 10000u);
}

TEST(WriteBounds, AreTwentyThousandDivBaudPerCharacterButNeverUnder500Ms) {
    EXPECT_EQ(WriteStringBoundMs(100, 9600), 500u);
    EXPECT_EQ(WriteStringBoundMs(100, 19200), 500u);
    EXPECT_EQ(WriteStringBoundMs(1000, 9600), 2000u);
    EXPECT_EQ(WriteStringBoundMs(100000, 38400), 500u);
    EXPECT_EQ(WriteStringBoundMs(1000, 110), 181000u);
    EXPECT_EQ(kWriteCharBoundMs, 1000u);
}

TEST(WriteBounds, ABufferHasItsWireTimeRoundedUpAndASecond) {
    EXPECT_EQ(WriteBufferBoundMs(1031, 38400), 1269u);  // 268.49 ms on the wire
    EXPECT_EQ(WriteBufferBoundMs(1031, 9600), 2074u);   // 1073.96 ms
    EXPECT_EQ(WriteBufferBoundMs(1031, 1200), 9592u);   // 8591.67 ms
    EXPECT_EQ(WriteBufferBoundMs(3, 0), 1000u);         // no baud: the second alone
}

TEST(Baudrates, OnlyTheFifteenRatesAreValid) {
    for (int rate :
         {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000}) {
        EXPECT_TRUE(IsValidBaudrate(rate)) << rate;
    }
    for (int rate : {0, -9600, 20000, 230400, 9601}) {
        EXPECT_FALSE(IsValidBaudrate(rate)) << rate;
    }
}

}  // namespace
}  // namespace flash410::serial
