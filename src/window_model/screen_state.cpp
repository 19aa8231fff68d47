#include "window_model/screen_state.h"

namespace uflash8 {

void ListState::SelectText(const std::string& text) {
    ItemIndex = -1;
    for (std::size_t i = 0; i < Items.size(); ++i) {
        if (Items[i] == text) {
            ItemIndex = static_cast<int>(i);
            return;
        }
    }
}

ScreenState DesignedScreen() {
    ScreenState screen;
    screen.Label3.Caption = "Select Com Port:";
    screen.Label5.Caption = "ZRM-410 Flash Upload";
    screen.Label6.Caption = "Utility to Upload unit Firmware into Flash memory, via a serial port";
    screen.Label7.Caption = "Select the Upload type";
    screen.Label11.Caption = "Disabled";
    screen.Label13.Caption = "Attach the Unit Remote Control Port to the Computer Serial Port";
    screen.Label22.Caption = "Configure the modem baud rate to match the Upload baud rate";
    screen.Label10 = {"DO NOT INTERRUPT UPLOAD", false, TextColor::kBlack, 0};
    for (int port = 1; port <= 19; ++port) {
        screen.CommPortBox.Items.push_back(std::to_string(port));
    }
    return screen;
}

}  // namespace uflash8
