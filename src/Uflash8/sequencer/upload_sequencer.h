// The core of the program, free of any GUI: the program-wide state, the timer tick with its states, the
// operations the states use, and the logic of the window's button handlers. The window forwards its
// events here and renders the screen state; tests drive it tick by tick with a fake line and clock.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "capture/capture_log.h"
#include "file_locations.h"
#include "image/byte_file.h"
#include "image/hex_record.h"
#include "image/image_layout.h"
#include "image/image_preparation.h"
#include "program_state.h"
#include "screen_state.h"
#include "serial_line.h"

namespace uflash8 {

struct CoreEnvironment {
    serial4::SerialLine* serial = nullptr;
    // Lets the window handle what has queued up (receive notifications, clicks); the tick's first step.
    std::function<void()> processPendingEvents;
    TimeOfDayClock clock;
    // The program's folder, and where the port settings file and the capture log live.
    flash410::FileLocations files;
    // Shows the file chooser with this type filter; the chosen name when it closed with OK.
    std::function<std::optional<std::string>(const std::string& filter)> chooseFile;
};

class UploadSequencer {
  public:
    explicit UploadSequencer(CoreEnvironment environment);

    // The window's events.
    void FormActivate();
    void Btn2UploadClick();
    void BtnBackToStartClick();
    void BtnCloseClick();
    void BtnHelpClick();
    void BtnCaptureFileClick();
    void BtnChooseFileClick();
    void BtnRepeatUploadClick();
    void BtnStartRunClick();
    // The window is closing by whatever route: the port closes and the capture file reaches the disk.
    void FormClose();
    void Timer1Timer();
    // The serial port's receive notification.
    void ReadMessage();

    // Operations of the states.
    void SendCommand(const std::string& text);
    void SendText(const std::string& text);
    void SendByte(std::uint8_t value);
    void WaitForReply(const std::string& expected, std::int32_t timeoutState, std::int32_t nextState,
                      std::string& reply);
    std::string ElapsedTimeText() const;
    std::string UploadTimeEstimate() const;

    // The blocks of the upload image on the wire.
    void SendNextBlock();
    void SendCurrentBlock();
    void CaptureBlock();

    // Preparation of a chosen file.
    void PrepareChosenFile();
    void SetUpRunPanel();

    ProgramState& state() { return state_; }
    const ProgramState& state() const { return state_; }
    ScreenState& screen() { return screen_; }
    const ScreenState& screen() const { return screen_; }
    CaptureLog& capture() { return capture_; }
    bool CaptureEnabled() const { return capture_.CaptureEnabled(); }

  private:
    void PerformStep();
    void OpenPortStep();
    void PortOpenPollStep();
    void ReportPortStep();

    // The upload dialogue with the modem.
    void SendUploadRequest();
    void AwaitReady();
    void SendGo();
    void AwaitErasing();
    void CheckErasing();
    void AwaitEraseResult();
    void CheckEraseResult();
    void AwaitErrorBlock();
    void ShowErrorBlock();
    void StartBlockLoop();
    void AwaitBlockRequest();
    void SendUploadDone();
    void AwaitThankYou();
    void FinishUpload();
    void ShowComplete();
    void ShowHalted();
    void TimedOut();
    void ResendBlock();
    void WriteUploadRequest();
    // The upload cannot go on (the port has gone, the image cannot be read): say why and offer
    // Repeat Upload and Go Back to Start.
    void UploadStopped(const std::string& reason);
    double Now() const;

    void ShowRunPrompt();
    void BadExtension();
    void EmptyBinaryImage();
    void ConvertHexToBinary();
    void CreateImageFile();
    void WriteImageFile();
    // A file could not be prepared: say why and offer the choice of another file.
    void PreparationFailed(const std::string& reason);
    // The preparation under way; it is lost (and what it wrote with it) when the operator leaves it.
    flash410::image::ImagePreparation& Preparation();

    void WriteCaptureLine(const std::string& text, const std::string& tag);
    void ReadPortSettings();
    void WritePortSettings();
    void ShowMessage(std::string text) { screen_.Messages.push_back(std::move(text)); }

    CoreEnvironment environment_;
    ProgramState state_;
    ScreenState screen_;
    CaptureLog capture_;
    // The preparation of a chosen file, between the steps that make it, and the upload image once it
    // is ready: the file verified or written is the file sent.
    std::optional<flash410::image::ImagePreparation> preparation_;
    std::optional<flash410::image::ByteFile> imageFile_;
    flash410::image::HexReaderState hexReader_;
    std::uint64_t imagePosition_ = 0;  // where the next block is read from the upload image
    // How often the modem has asked for the block last sent again; a request for a new block starts the
    // count afresh.
    std::int32_t repeatedRequests_ = 0;
    // The one buffer in which blocks are built for the upload image and from which they are sent.
    flash410::image::BlockBuffer blockBuffer_{};
    // Said on the run panel once the image is ready (bytes that lay outside the flash).
    std::string preparationNote_;
    bool inTick_ = false;
    bool portSettingsProblemShown_ = false;
};

}  // namespace uflash8
