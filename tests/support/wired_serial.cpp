#include "wired_serial.h"

#include "serial/port_map.h"

namespace flash410::testing {

std::unique_ptr<serial4::TSerial> MakeWiredSerial(TestUiThread& ui, const std::string& programFolder,
                                                  std::vector<std::string>& errorBoxes) {
    serial4::SerialEnvironment environment;
    environment.postToUiThread = ui.Poster();
    environment.showErrorBox = [&errorBoxes](const std::string& text) { errorBoxes.push_back(text); };
    auto serial = std::make_unique<serial4::TSerial>(std::move(environment));
    serial->SetPortMap(serial4::PortMap(programFolder));
    serial->SetDataBits(serial4::eDataBits::d8bit);
    serial->SetCheckParity(false);
    serial->MessageEndChar = '\r';
    return serial;
}

}  // namespace flash410::testing
