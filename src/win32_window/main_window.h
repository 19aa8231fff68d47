// MainWindow: the main window on Windows, native Win32. It makes the controls of the window's layout,
// passes clicks, timer ticks and the serial port's notifications to the window model, and draws
// the model's screen state after each; it decides nothing itself.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_locations.h"
#include "win32_window/dpi_scale.h"
#include "win32_window/gdi_objects.h"
#include "win32_window/help_window.h"
#include "win32_window/posted_work.h"
#include "win32_window/window_controls.h"
#include "win32_window/window_fonts.h"
#include "window_model/drawn_screen.h"
#include "window_model/main_window_model.h"
#include "window_model/window_layout.h"

namespace flash410::win32_window {

// What the window asks of the world around it; tests put their own in place of each.
struct WindowServices {
    // A modal message box; isError for the serial port's errors, a warning otherwise.
    std::function<void(HWND owner, const std::string& text, bool isError)> showMessage;
    // The file chooser with the model's type filter; the chosen file's name when it closed with OK.
    std::function<std::optional<std::string>(HWND owner, const std::string& filter)> chooseFile;
    // The help at this topic.
    std::function<void(HWND owner, int topic)> showHelp;
    // The window has closed, by whichever route: the program ends its message loop.
    std::function<void()> closed;
    // The serial ports the system has now.
    std::function<std::vector<serial::PortDescription>()> listPorts;
};

class MainWindow {
  public:
    // The timer that ticks the model.
    static constexpr UINT_PTR kTickTimer = 1;

    // files: the program's folder, and where the port links, the port settings file, the capture file and
    // the help file are. homeFolder: where the file chooser remembers the folder of the last chosen file.
    // Services left empty are the real ones: message boxes, the chooser, the help, the end of the loop.
    MainWindow(flash410::platform::FileLocations files, std::string homeFolder, WindowServices services = {});
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND hwnd() const { return window_.get(); }
    // Shows the window and puts the keyboard on its first control.
    void Show(int showCommand);

    window_model::MainWindowModel& model() { return model_; }

  private:
    // A control of the layout as made here.
    struct MadeControl {
        const window_model::ControlDescription* description = nullptr;
        HWND window = nullptr;
        COLORREF colour = RGB(0, 0, 0);  // a label's text, as its state last said
    };

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void BuildControls();
    HWND MakeControl(const window_model::ControlDescription& control, HWND parent);
    HWND Control(ControlId id) const;
    void UseScale(UINT dpi);
    void Command(ControlId id, WORD code, HWND control);
    // Runs one of the model's handlers, then shows what it changed.
    template <typename Handler>
    void Forward(Handler handler) {
        handler();
        Render();
    }
    void Tick();
    void Render();
    void Draw(MadeControl& control, const window_model::ScreenState& s);
    void ShowLabel(MadeControl& label, const window_model::LabelState& state);
    void RunTimer(const window_model::TimerState& timer);
    void TakeRequests();
    // Every way of closing ends here: the port closes and the capture file reaches the disk.
    void CloseWindow();
    void FocusControl(HWND wanted);
    LRESULT LabelColours(HDC dc, HWND control) const;

    WindowServices services_;
    std::string helpFile_;
    HINSTANCE instance_;
    // Given back after the window that uses them has gone.
    std::optional<WindowFonts> fonts_;
    OwnedBitmap banner_;
    OwnedWindow window_;
    // Before the model, whose serial port posts to it, and discarded after the port has gone.
    PostedWork posted_;
    WindowControls controls_;
    // Every control of the window's layout, in its order.
    std::vector<MadeControl> made_;
    window_model::MainWindowModel model_;
    window_model::DrawnScreen drawn_;
    bool timerRunning_ = false;
    int timerInterval_ = 0;
    bool closing_ = false;
    HWND lastFocus_ = nullptr;
    // Made at the first Help; it goes before the window that owns it.
    std::unique_ptr<HelpWindow> help_;
};

}  // namespace flash410::win32_window
