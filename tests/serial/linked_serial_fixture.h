// Serial components wired as the window wires them, on COM ports that the test links to devices in a
// program folder of its own: their notifications run on the test's UI thread, and the texts of their
// error boxes are kept for the test to look at.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "serial/serial_port.h"
#include "support/program_folder.h"
#include "support/test_ui_thread.h"
#include "support/wired_serial.h"

namespace flash410::serial::testing {

class LinkedSerialFixture : public ::testing::Test {
  protected:
    // A component set to COM<port>, which now leads to device.
    std::unique_ptr<SerialPort> MakeSerialOn(int port, const std::string& device) {
        folder_.Link(port, device);
        auto serial = test_support::MakeWiredSerial(ui_, folder_.folder(), errorBoxes_);
        serial->SetPort(static_cast<PortNumber>(port));
        return serial;
    }

    test_support::TestUiThread ui_;
    test_support::ProgramFolder folder_;
    std::vector<std::string> errorBoxes_;
};

}  // namespace flash410::serial::testing
