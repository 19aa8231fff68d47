// The help window: a separate, modeless window owned by the main window, showing one topic of the help
// file with the list of all topics to move between them, as the Linux window's help does. When the file is
// missing or has no such topic it shows why, in place of the topic. It goes with its owner.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "win32_window/dpi_scale.h"
#include "win32_window/gdi_objects.h"
#include "win32_window/window_fonts.h"
#include "window_model/help_view.h"

namespace flash410::win32_window {

// The help window's controls by number (GetDlgCtrlID).
enum class HelpControl : int {
    kTopicList = 401,
    kTopicTitle,
    kTopicText,
    kFileNotes,
    kCloseButton,
};

class HelpWindow {
  public:
    // The file is read at the first ShowTopic.
    HelpWindow(HWND owner, std::filesystem::path helpFile);
    ~HelpWindow();
    HelpWindow(const HelpWindow&) = delete;
    HelpWindow& operator=(const HelpWindow&) = delete;

    HWND hwnd() const { return window_.get(); }
    // Shows the topic with this help context number (see HelpView::ShowTopic) and brings the window to the
    // front.
    void ShowTopic(int context);
    // The context number of the topic on show; 0 while a message is shown instead.
    int DisplayedContext() const { return view_.screen().Topic.context; }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void BuildControls();
    HWND Control(HelpControl id) const;
    void Layout();
    std::wstring TopicTitle(UINT row) const;
    RECT TopicTextArea(const RECT& item) const;
    void MeasureTopic(MEASUREITEMSTRUCT& item) const;
    void DrawTopic(const DRAWITEMSTRUCT& item) const;
    void Draw(const window_model::HelpScreen& screen);

    window_model::HelpView view_;
    std::vector<window_model::HelpTopicRow> drawnRows_;  // what the topic list holds
    DpiScale scale_;
    WindowFonts fonts_;
    OwnedFont titleFont_;
    OwnedWindow window_;
};

}  // namespace flash410::win32_window
