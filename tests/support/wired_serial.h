// The serial component set up as the upload session sets it up: 8 data bits, no parity check, ports looked
// up in a program folder's port links. Its notifications go to a test UI thread and the texts of its
// error boxes are collected for the test to look at.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "serial/serial_port.h"
#include "test_ui_thread.h"

namespace flash410::test_support {

// programFolder ends with "/" and holds ports/. ui and errorBoxes must outlive the component.
std::unique_ptr<serial::SerialPort> MakeWiredSerial(TestUiThread& ui, const std::string& programFolder,
                                                    std::vector<std::string>& errorBoxes);

}  // namespace flash410::test_support
