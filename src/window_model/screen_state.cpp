#include "window_model/screen_state.h"

namespace flash410::window_model {

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
    screen.PortPrompt.Caption = "Select Com Port:";
    screen.TitleLine.Caption = "ZRM-410 Flash Upload";
    screen.SubtitleLine.Caption = "Utility to Upload unit Firmware into Flash memory, via a serial port";
    screen.UploadTypePrompt.Caption = "Select the Upload type";
    screen.CaptureStatusLine.Caption = "Disabled";
    screen.AttachInstructionLine.Caption = "Attach the Unit Remote Control Port to the Computer Serial Port";
    screen.BaudInstructionLine.Caption = "Configure the modem baud rate to match the Upload baud rate";
    screen.WarningLine = {"DO NOT INTERRUPT UPLOAD", false, TextColor::kBlack, 0};
    for (int port = 1; port <= 19; ++port) {
        screen.PortList.Items.push_back(std::to_string(port));
    }
    return screen;
}

}  // namespace flash410::window_model
