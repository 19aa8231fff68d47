// The driver as every front end uses it: a tick's "[pn]" line comes before its step, received bytes are
// written as "[in]" and an awaited reply is acted on at once between ticks but not within one, and the
// line is set up as the modem speaks.
#include "upload/upload_driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/fake_serial_line.h"

namespace flash410::upload {
namespace {

using Lines = std::vector<std::string>;

class UploadDriverTest : public ::testing::Test {
  protected:
    UploadDriverTest()
        : driver_({&line_, [] { return 10 * 3600.0; },
                   UploadCapture{[] { return true; },
                                 [this](const std::string& text, const std::string& tag) {
                                     lines_.push_back(tag + text);
                                 }},
                   {}, {}}) {}

    // An upload of one block under way, its first request sent, waiting for READY.
    void AwaitReady() {
        driver_.Engine().UseImage(std::make_shared<std::vector<std::uint8_t>>(1031, 'a'), "fw.vxf", 1);
        line_.SetActive(true);
        driver_.Engine().StartUpload(UploadRequest::kBulk);
        driver_.Tick();
        ASSERT_EQ(driver_.State().Step, DialogueStep::kAwaitReady);
        lines_.clear();
        line_.sent.clear();
    }
    void Receive(const std::string& bytes, Arrival arrival = Arrival::kBetweenTicks) {
        line_.incoming = bytes;
        driver_.Receive(arrival);
    }

    test_support::FakeSerialLine line_;
    Lines lines_;
    UploadDriver driver_;
};

TEST_F(UploadDriverTest, ATickWritesTheNumberOfItsStepBeforePerformingIt) {
    driver_.Engine().OpenPort(3, 19200);
    for (int tick = 0; tick < 4; ++tick) driver_.Tick();
    EXPECT_EQ(lines_, (Lines{"[pn]5", "[co]com port open at 19200", "[pn]6", "[pn]10", "[pn]0"}));
}

TEST_F(UploadDriverTest, ReceivedTextIsAppendedToTheReplyBuffer) {
    Receive("RE");
    Receive("ADY\r\n");
    EXPECT_EQ(driver_.State().ReplyBuffer, "READY\r\n");
    EXPECT_EQ(lines_, (Lines{"[in]RE", "[in]READY\r\n"}));  // the whole buffer each time; nothing awaited
}

TEST_F(UploadDriverTest, AnAwaitedReplyBetweenTicksIsActedOnAtOnceAfterItsStepLine) {
    AwaitReady();
    Receive("REA");
    EXPECT_EQ(driver_.State().Step, DialogueStep::kAwaitReady);
    Receive("DY\r\n");
    EXPECT_EQ(driver_.State().Step, DialogueStep::kSendGo);
    EXPECT_EQ(lines_, (Lines{"[in]REA", "[in]READY\r\n", "[pn]45"}));
    EXPECT_TRUE(line_.sent.empty());  // no further upload request
}

TEST_F(UploadDriverTest, AnAwaitedReplyWithinATickIsLeftToThatTicksStep) {
    AwaitReady();
    Receive("READY\r\n", Arrival::kWithinTick);
    EXPECT_EQ(driver_.State().Step, DialogueStep::kAwaitReady);
    driver_.Tick();
    EXPECT_EQ(driver_.State().Step, DialogueStep::kSendGo);
    EXPECT_EQ(lines_, (Lines{"[in]READY\r\n", "[pn]45"}));
}

TEST(ModemLine, IsEightDataBitsWithoutAParityCheckAndMessagesEndingInCarriageReturn) {
    serial::SerialPort port({});
    port.SetDataBits(serial::DataBits::kSeven);
    port.SetCheckParity(true);
    port.MessageEndChar = 3;
    ConfigureLine(port);
    EXPECT_EQ(port.DataBits(), serial::DataBits::kEight);
    EXPECT_FALSE(port.CheckParity());
    EXPECT_EQ(port.MessageEndChar, '\r');
}

}  // namespace
}  // namespace flash410::upload
