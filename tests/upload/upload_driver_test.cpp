// The driver as every front end uses it: a tick's "[pn]" line comes before its step, received bytes are
// written as "[in]", an awaited reply is acted on at once between ticks but not within one, the steps
// that wait for nothing follow at once with their own "[pn]" lines, and the line is set up as the modem
// speaks.
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
        : driver_({&line_,
                   [] { return 10 * 3600.0; },
                   UploadCapture{[] { return true; },
                                 [this](const std::string& text, const std::string& tag) {
                                     lines_.push_back(tag + text);
                                 }},
                   {},
                   {}}) {}

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
    // GO waits for nothing: it follows READY at once.
    EXPECT_EQ(driver_.State().Step, DialogueStep::kAwaitErasing);
    EXPECT_EQ(lines_, (Lines{"[in]REA", "[in]READY\r\n", "[pn]45", "[pn]54", "[out]GO\r"}));
    EXPECT_EQ(line_.sent, "GO\r");  // and no further upload request
}

TEST_F(UploadDriverTest, AnAwaitedReplyWithinATickIsLeftToThatTicksStep) {
    AwaitReady();
    Receive("READY\r\n", Arrival::kWithinTick);
    EXPECT_EQ(driver_.State().Step, DialogueStep::kAwaitReady);
    driver_.Tick();
    EXPECT_EQ(driver_.State().Step, DialogueStep::kAwaitErasing);
    EXPECT_EQ(lines_, (Lines{"[in]READY\r\n", "[pn]45", "[pn]54", "[out]GO\r"}));
}

TEST_F(UploadDriverTest, TheFirstBlockFollowsEraseCompleteAndItsRequestAtOnce) {
    AwaitReady();
    Receive("READY\r\n");
    Receive("ERASING\r\n");
    lines_.clear();
    line_.sent.clear();
    line_.writeCalls = 0;
    Receive("ERASE COMPLETE\r\nSEND BLOCK\r\n");
    // Each step performed still writes its line, the checks and the loop's start as they always have.
    ASSERT_GE(lines_.size(), 6u);
    EXPECT_EQ(Lines(lines_.begin(), lines_.begin() + 6),
              (Lines{"[in]\nERASE COMPLETE\r\nSEND BLOCK\r\n", "[pn]57", "[pn]58", "[pn]66", "[pn]67",
                     "[info  ]  addr aaaaaa  cksm 61"}));
    EXPECT_EQ(line_.sent, std::string(1031, 'a'));
    EXPECT_EQ(line_.writeCalls, 1);  // the whole block in one write
    EXPECT_EQ(driver_.State().BlocksSent, 1);
    EXPECT_EQ(driver_.State().Step, DialogueStep::kAwaitBlockRequest);
}

TEST_F(UploadDriverTest, ABlockRequestAnsweredStopsTheStepsAtOnceAndUploadDoneKeepsItsTick) {
    AwaitReady();
    Receive("READY\r\n");
    Receive("ERASING\r\n");
    Receive("ERASE COMPLETE\r\nSEND BLOCK\r\n");
    ASSERT_EQ(driver_.State().BlocksSent, 1);
    lines_.clear();
    line_.sent.clear();
    // Two requests at once: the wait answers the first and, not having moved on, stops there.
    Receive("SEND BLOCK\r\nSEND BLOCK\r\n");
    EXPECT_EQ(driver_.State().Step, DialogueStep::kSendUploadDone);
    EXPECT_TRUE(line_.sent.empty());
    EXPECT_EQ(lines_, (Lines{"[in]SEND BLOCK\r\nSEND BLOCK\r\n", "[pn]67"}));
    driver_.Tick();
    EXPECT_EQ(line_.sent, "UPLOAD DONE\r");
    EXPECT_EQ(driver_.State().Step, DialogueStep::kAwaitThankYou);
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
