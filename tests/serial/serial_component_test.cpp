// The component's own logic over a recording device: property semantics, the open and close sequences,
// the error path, the order of notifications and the close handshake with the event thread.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "recording_device.h"
#include "serial/serial_port.h"
#include "support/test_ui_thread.h"

namespace flash410::serial {
namespace {

using test_support::TestUiThread;
using testing::DeviceLog;
using ::testing::ElementsAre;
using testing::FakeError;
using ::testing::HasSubstr;
using testing::RecordingDevice;

class SerialComponent : public ::testing::Test {
  protected:
    SerialComponent() : serial_(Environment()) {}

    SerialEnvironment Environment() {
        SerialEnvironment environment;
        environment.postToUiThread = ui_.Poster();
        environment.showErrorBox = [this](const std::string& text) { errorBoxes_.push_back(text); };
        environment.makeDevice = [this] {
            auto device = std::make_unique<RecordingDevice>(log_);
            device_ = device.get();
            return device;
        };
        return environment;
    }

    void OpenPort() {
        serial_.SetActive(true);
        ASSERT_TRUE(serial_.Active());
        log_->Clear();
    }

    TestUiThread ui_;
    std::shared_ptr<DeviceLog> log_ = std::make_shared<DeviceLog>();
    std::vector<std::string> errorBoxes_;
    RecordingDevice* device_ = nullptr;  // the device of the current opening
    SerialPort serial_;
};

TEST_F(SerialComponent, StartsClosedWithTheDefaults) {
    EXPECT_FALSE(serial_.Active());
    EXPECT_EQ(serial_.Port(), 1);
    EXPECT_EQ(serial_.Baudrate(), 9600);
    EXPECT_EQ(serial_.Parity(), Parity::kNone);
    EXPECT_EQ(serial_.DataBits(), DataBits::kSeven);
    EXPECT_EQ(serial_.StopBits(), StopBits::kOne);
    EXPECT_EQ(serial_.RxQueueSize(), 1024);
    EXPECT_EQ(serial_.TxQueueSize(), 1024);
    EXPECT_EQ(serial_.FlowMode(), FlowControl::kNone);
    EXPECT_TRUE(serial_.CheckParity());
    EXPECT_EQ(serial_.NotifyErrors, ErrorNotification::kDialog);
    EXPECT_EQ(serial_.ErrorCode(), 0);
    EXPECT_EQ(serial_.RxWaiting(), 0);
    EXPECT_TRUE(log_->Calls().empty());
}

TEST_F(SerialComponent, OpensInOrderAndClosesInOrder) {
    serial_.SetActive(true);
    EXPECT_TRUE(serial_.Active());
    EXPECT_THAT(log_->Calls(),
                ElementsAre("Open", "ApplyControlBlock", "RaiseDTR", "RaiseRTS", "SetEventMask 381"));
    log_->Clear();
    serial_.SetActive(false);
    EXPECT_FALSE(serial_.Active());
    EXPECT_THAT(log_->Calls(), ElementsAre("Purge", "DropDTR", "DropRTS", "SetEventMask 0", "Close"));
}

TEST_F(SerialComponent, PortNumbersBecomeDevicesThroughThePortMap) {
    serial_.SetPort(12);
    serial_.SetActive(true);
    serial_.SetActive(false);
    serial_.SetPort(200);  // any value is stored; it has no device
    EXPECT_EQ(serial_.Port(), 200);
    serial_.SetActive(true);
    EXPECT_THAT(log_->openedPaths, ElementsAre("/dev/ttyUSB7", ""));
}

TEST_F(SerialComponent, ActivatingAnOpenPortReopensIt) {
    OpenPort();
    serial_.SetActive(true);
    EXPECT_TRUE(serial_.Active());
    EXPECT_THAT(log_->Calls(), ElementsAre("Purge", "DropDTR", "DropRTS", "SetEventMask 0", "Close", "Open",
                                           "ApplyControlBlock", "RaiseDTR", "RaiseRTS", "SetEventMask 381"));
}

TEST_F(SerialComponent, AnUnchangedValueDoesNothingEvenOnAnOpenPort) {
    OpenPort();
    serial_.SetBaudrate(9600);
    serial_.SetPort(1);
    serial_.SetParity(Parity::kNone);
    serial_.SetDataBits(DataBits::kSeven);
    serial_.SetStopBits(StopBits::kOne);
    serial_.SetFlowMode(FlowControl::kNone);
    serial_.SetCheckParity(true);
    EXPECT_TRUE(log_->Calls().empty());
}

TEST_F(SerialComponent, AChangedValueOnAnOpenPortReopensItWithTheNewSettings) {
    OpenPort();
    serial_.SetBaudrate(19200);
    EXPECT_TRUE(serial_.Active());
    EXPECT_EQ(log_->Count("Close"), 1);
    EXPECT_EQ(log_->Count("Open"), 1);
    EXPECT_EQ(log_->lastBlock.BaudRate, 19200u);
    serial_.SetDataBits(DataBits::kEight);
    EXPECT_EQ(log_->Count("Open"), 2);
    EXPECT_EQ(log_->lastBlock.ByteSize, 8);
}

TEST_F(SerialComponent, AChangedValueOnAClosedPortIsOnlyStored) {
    serial_.SetBaudrate(38400);
    serial_.SetPort(5);
    serial_.SetRxQueueSize(2048);
    EXPECT_FALSE(serial_.Active());
    EXPECT_TRUE(log_->Calls().empty());
    serial_.SetActive(true);
    EXPECT_EQ(log_->lastBlock.BaudRate, 38400u);
    EXPECT_EQ(log_->lastBlock.XonLim, 682);
}

TEST_F(SerialComponent, QueueSizesReopenEvenWhenUnchanged) {
    OpenPort();
    serial_.SetRxQueueSize(1024);
    serial_.SetTxQueueSize(1024);
    EXPECT_EQ(log_->Count("Open"), 2);
    EXPECT_TRUE(serial_.Active());
}

TEST_F(SerialComponent, AnInvalidBaudrateIsRefusedWithAMessageAndChangesNothing) {
    OpenPort();
    serial_.SetBaudrate(20000);
    EXPECT_THAT(errorBoxes_, ElementsAre("Baudrate is not valid"));
    EXPECT_EQ(serial_.Baudrate(), 9600);
    EXPECT_TRUE(serial_.Active());
    EXPECT_TRUE(log_->Calls().empty());
    EXPECT_EQ(serial_.ErrorCode(), 0);
}

TEST_F(SerialComponent, AFailedOpenLeavesThePortClosedAndReportsByTheNotifySetting) {
    // The words are the component's; what only the system knows (here the holder) comes from the device.
    log_->openError = FakeError(EBUSY, ErrorKind::kBusy);
    serial_.SetPort(5);
    serial_.SetActive(true);
    EXPECT_FALSE(serial_.Active());
    EXPECT_EQ(serial_.ErrorCode(), EBUSY);
    EXPECT_THAT(errorBoxes_,
                ElementsAre("Cannot open COM5 (/dev/ttyUSB0): Device or resource busy. It is in use "
                            "by minicom (process 41). Close that program and try again."));

    int errorEvents = 0;
    serial_.OnError = [&](SerialPort* sender) {
        EXPECT_EQ(sender, &serial_);
        ++errorEvents;
    };
    serial_.NotifyErrors = ErrorNotification::kEvent;
    log_->openError = FakeError(EACCES, ErrorKind::kPermission);
    serial_.SetActive(true);
    EXPECT_EQ(errorEvents, 1);
    EXPECT_EQ(serial_.ErrorCode(), EACCES);

    serial_.NotifyErrors = ErrorNotification::kNone;
    log_->openError = FakeError(ENOENT, ErrorKind::kMissing);
    serial_.SetActive(true);
    EXPECT_EQ(serial_.ErrorCode(), ENOENT);
    EXPECT_EQ(errorBoxes_.size(), 1u);
    EXPECT_EQ(errorEvents, 1);
}

TEST(SerialComponentReports, AreShownOnlyOnceTheOpenOrCloseHasFinished) {
    // An error box runs an event loop: by then the port must be wholly open or wholly closed.
    TestUiThread ui;
    auto log = std::make_shared<DeviceLog>();
    std::vector<bool> activeWhenShown;
    SerialPort* component = nullptr;
    SerialEnvironment environment;
    environment.postToUiThread = ui.Poster();
    environment.showErrorBox = [&](const std::string&) { activeWhenShown.push_back(component->Active()); };
    environment.makeDevice = [&] { return std::make_unique<RecordingDevice>(log); };
    SerialPort serial(environment);
    component = &serial;

    log->applyError = FakeError(EINVAL);
    serial.SetActive(true);
    log->applyError = {};
    log->purgeError = FakeError(EPERM);
    serial.SetActive(false);
    ASSERT_EQ(activeWhenShown.size(), 2u);
    EXPECT_TRUE(activeWhenShown[0]);   // the open went on to its end first
    EXPECT_FALSE(activeWhenShown[1]);  // the close had finished
    EXPECT_EQ(log->Count("Close"), 1);
}

TEST_F(SerialComponent, TransfersOnAClosedPortDoNothing) {
    serial_.WriteString("abc");
    serial_.WriteChar('x');
    std::string text = "old";
    EXPECT_EQ(serial_.ReadString(text), 0);
    EXPECT_EQ(text, "");
    EXPECT_TRUE(log_->written.empty());
    EXPECT_TRUE(log_->Calls().empty());
}

TEST_F(SerialComponent, ReadStringTakesWhatHasArrivedInOneReadOfAtMostTheQueueSizePlusOneBytes) {
    serial_.SetRxQueueSize(4);
    OpenPort();
    for (char c : std::string("0123456789")) log_->received.push_back(static_cast<std::uint8_t>(c));
    std::string text = "old";
    EXPECT_EQ(serial_.ReadString(text), 5);
    EXPECT_EQ(text, "01234");
    EXPECT_EQ(log_->Count("Read"), 1);
    EXPECT_EQ(serial_.RxWaiting(), 5);
}

TEST_F(SerialComponent, OneWakeUpDispatchesInTheFixedOrder) {
    std::vector<std::string> calls;
    serial_.OnSignalChange = [&](SerialPort*, ModemInSignal signal, bool on) {
        calls.push_back("signal " + std::to_string(static_cast<int>(signal)) + (on ? " on" : " off"));
    };
    serial_.OnTxEmpty = [&](SerialPort*) { calls.push_back("txempty"); };
    serial_.OnBreak = [&](SerialPort*) { calls.push_back("break"); };
    serial_.OnRing = [&](SerialPort*) { calls.push_back("ring"); };
    serial_.OnRxData = [&](SerialPort*) { calls.push_back("rxdata"); };
    log_->lines = {true, false, true};
    OpenPort();
    device_->Signal(line_event::kWatched);
    ASSERT_TRUE(ui_.RunUntil([&] { return calls.size() == 7; }));
    EXPECT_THAT(calls, ElementsAre("signal 0 on", "signal 1 off", "signal 2 on", "txempty", "break", "ring",
                                   "rxdata"));
}

TEST_F(SerialComponent, CloseDoesNotWaitForAThreadThatWaitsForTheUiThread) {
    int rxData = 0;
    serial_.OnRxData = [&](SerialPort*) { ++rxData; };
    OpenPort();
    device_->Signal(line_event::kRxChar);
    // The notification is queued and the thread waits for the UI thread, which closes instead.
    while (ui_.Queued() == 0) std::this_thread::yield();
    serial_.SetActive(false);
    // The thread let go within the handshake, so the device was closed there and then.
    EXPECT_EQ(log_->Count("Close"), 1);
    ui_.RunPending();
    EXPECT_EQ(rxData, 0);  // no handler runs for a port that has been closed
}

TEST_F(SerialComponent, AHandlerMayCloseThePortItIsNotifiedFor) {
    int rxData = 0;
    serial_.OnRxData = [&](SerialPort* sender) {
        ++rxData;
        sender->SetActive(false);
    };
    serial_.OnRing = [&](SerialPort*) { FAIL() << "dispatched after the close"; };
    OpenPort();
    device_->Signal(line_event::kRxChar);
    ASSERT_TRUE(ui_.RunUntil([&] { return rxData == 1; }));
    EXPECT_FALSE(serial_.Active());
    EXPECT_EQ(log_->Count("Close"), 1);
    // The port works again afterwards.
    serial_.SetActive(true);
    EXPECT_TRUE(serial_.Active());
    device_->Signal(line_event::kRxChar);
    ASSERT_TRUE(ui_.RunUntil([&] { return rxData == 2; }));
}

TEST_F(SerialComponent, AHandlerMayReopenThePortAndLaterEventsReachTheNewOpening) {
    int rxData = 0;
    serial_.OnRxData = [&](SerialPort* sender) {
        if (++rxData == 1)
            sender->SetBaudrate(19200);
    };
    OpenPort();
    device_->Signal(line_event::kRxChar);
    ASSERT_TRUE(ui_.RunUntil([&] { return rxData == 1; }));
    EXPECT_TRUE(serial_.Active());
    device_->Signal(line_event::kRxChar);
    ASSERT_TRUE(ui_.RunUntil([&] { return rxData == 2; }));
}

TEST(SerialComponentLifetime, DestroyingAComponentWithAQueuedNotificationIsSafe) {
    TestUiThread ui;
    auto log = std::make_shared<DeviceLog>();
    RecordingDevice* device = nullptr;
    std::atomic<int> rxData{0};
    {
        SerialEnvironment environment;
        environment.postToUiThread = ui.Poster();
        environment.makeDevice = [&] {
            auto made = std::make_unique<RecordingDevice>(log);
            device = made.get();
            return made;
        };
        SerialPort serial(environment);
        serial.OnRxData = [&](SerialPort*) { ++rxData; };
        serial.SetActive(true);
        device->Signal(line_event::kRxChar);
        while (ui.Queued() == 0) std::this_thread::yield();
    }
    // The queued call outlives its component and must not touch it.
    EXPECT_EQ(ui.RunPending(), 1);
    EXPECT_EQ(rxData, 0);
}

}  // namespace
}  // namespace flash410::serial
