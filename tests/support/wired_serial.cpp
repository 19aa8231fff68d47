#include "wired_serial.h"

#include "serial/port_map.h"

namespace flash410::testing {

std::unique_ptr<flash410::serial::SerialPort> MakeWiredSerial(TestUiThread& ui, const std::string& programFolder,
                                                  std::vector<std::string>& errorBoxes) {
    flash410::serial::SerialEnvironment environment;
    environment.postToUiThread = ui.Poster();
    environment.showErrorBox = [&errorBoxes](const std::string& text) { errorBoxes.push_back(text); };
    auto serial = std::make_unique<flash410::serial::SerialPort>(std::move(environment));
    serial->SetPortMap(flash410::serial::PortMap(programFolder));
    serial->SetDataBits(flash410::serial::DataBits::kEight);
    serial->SetCheckParity(false);
    serial->MessageEndChar = '\r';
    return serial;
}

}  // namespace flash410::testing
