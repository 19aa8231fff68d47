#include "wired_serial.h"

#include "serial/port_map.h"
#include "upload/modem_line.h"

namespace flash410::test_support {

std::unique_ptr<serial::SerialPort> MakeWiredSerial(TestUiThread& ui, const std::string& programFolder,
                                                    std::vector<std::string>& errorBoxes) {
    serial::SerialEnvironment environment;
    environment.postToUiThread = ui.Poster();
    environment.showErrorBox = [&errorBoxes](const std::string& text) { errorBoxes.push_back(text); };
    auto serial = std::make_unique<serial::SerialPort>(std::move(environment));
    serial->SetPortMap(serial::PortMap(programFolder));
    upload::ConfigureLine(*serial);
    return serial;
}

}  // namespace flash410::test_support
