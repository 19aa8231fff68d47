// TForm1: the main window. It builds the controls at their designed places, forwards clicks, timer ticks
// and the serial port's notifications to the core, and renders the core's screen state after each.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "serial/serial_port.h"
#include "window_model/main_window_model.h"

namespace chfile1 {
class TForm2;
}

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

namespace uflash8 {

class GaugeWidget;
class HelpWindow;

class TForm1 : public QWidget {
  public:
    // Shows a message in a modal box; tests put their own in its place.
    using MessageBox = std::function<void(QWidget* parent, const QString& text, bool isError)>;

    // files: the program's folder, and where the port links, the port settings file, the capture file and
    // the help file are. homeFolder: where the file chooser remembers the folder of the last chosen file.
    TForm1(flash410::FileLocations files, std::string homeFolder, MessageBox messageBox = {},
           QWidget* parent = nullptr);
    ~TForm1() override;

    // One tick of Timer1, as the timer runs it.
    void Tick();

    UploadSequencer& core() { return core_; }
    serial4::TSerial& serial() { return Serial1; }
    // The help window, once Help has been pressed.
    HelpWindow* helpWindow() const { return helpWindow_; }

    // The controls, for tests that press buttons and read what the operator sees.
    QPushButton* Btn2Upload = nullptr;
    QPushButton* BtnRepeatUpload = nullptr;
    QPushButton* BtnBackToStart = nullptr;
    QPushButton* BtnCaptureFile = nullptr;
    QPushButton* BtnHelp = nullptr;
    QPushButton* BtnClose = nullptr;
    QPushButton* BtnChooseFile = nullptr;
    QPushButton* BtnStartRun = nullptr;
    QComboBox* CommPortBox = nullptr;
    QComboBox* BaudRateBox = nullptr;
    QComboBox* Up_type = nullptr;
    QGroupBox* OpeningBox = nullptr;
    QGroupBox* MainBox = nullptr;
    QGroupBox* RunBox = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr, *Label6 = nullptr,
           *Label7 = nullptr, *Label8 = nullptr, *Label9 = nullptr, *Label10 = nullptr, *Label11 = nullptr,
           *Label12 = nullptr, *Label13 = nullptr, *Label15 = nullptr, *Label22 = nullptr;
    GaugeWidget* Gauge = nullptr;
    QTimer* Timer1 = nullptr;
    // The file chooser, created after the window's own start-up.
    chfile1::TForm2* Form2 = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void ConnectControls();
    void DescribePorts();
    // Runs one of the core's handlers, then shows what it changed.
    template <typename Handler>
    void Forward(Handler handler) {
        handler();
        Render();
    }
    void Render();
    void TakeRequests();
    void ShowHelp(int topic);
    std::optional<std::string> ChooseFile(const std::string& filter);

    std::string helpFile_;
    MessageBox messageBox_;
    // The window's serial control keeps its documented name.
    serial4::TSerial Serial1;  // NOLINT(readability-identifier-naming)
    UploadSequencer core_;
    HelpWindow* helpWindow_ = nullptr;
    // The screen state as last rendered; empty before the first rendering.
    std::optional<ScreenState> shown_;
    bool closing_ = false;
};

}  // namespace uflash8
