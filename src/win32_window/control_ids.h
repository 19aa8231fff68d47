// The main window's controls by number (GetDlgCtrlID), named as the Linux window names them; tests and
// the window's own notifications find a control by it.
#pragma once

namespace flash410::win32_window {

enum class ControlId : int {
    kRepeatUploadButton = 101,
    kBackToStartButton,
    kCaptureFileButton,
    kHelpButton,
    kCloseButton,
    kStartButton,
    kChooseFileButton,
    kUploadButton,

    kPortList = 201,
    kBaudList,
    kUploadTypeList,

    kBannerImage = 301,
    kTitleLine,
    kCaptureStatusLine,
    kFooterLine,
    kVersionLine,
    kSubtitleLine,
    kAttachInstructionLine,
    kPortPrompt,
    kBaudLabel,
    kBaudInstructionLine,
    kUploadTypePrompt,
    kPortStatusLine,
    kFileStatusLine,
    kRunInstructionLine,
    kResultLine,
    kProgressLine,
    kWarningLine,
    kPortDeviceLine,

    kOpeningPanel = 401,
    kMainPanel,
    kRunPanel,
    kLineSettingsBox,
    kFooterBox,

    kGauge = 501,
};

}  // namespace flash410::win32_window
