// The help window: a separate, modeless window owned by the main window, showing one topic of the help
// file with the list of all topics to move between them, as the Linux window's help does. When the file is
// missing or has no such topic it shows why, in place of the topic. It goes with its owner.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

#include "win32_window/dpi_scale.h"
#include "win32_window/gdi_objects.h"
#include "win32_window/window_fonts.h"
#include "window_model/help_file.h"

namespace flash410::win32_window {

inline constexpr wchar_t kHelpWindowTitle[] = L"Varnel Flash Device Upload - Help";

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
    // Shows the topic with this help context number and brings the window to the front. A file that could
    // not be used is read again, so help copied in meanwhile is found.
    void ShowTopic(int context);
    // The context number of the topic on show; 0 while a message is shown instead.
    int DisplayedContext() const { return displayedContext_; }

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
    void LoadIfNeeded();
    void Display(int context);
    void SelectListRow(int context);

    std::filesystem::path helpFile_;
    std::optional<window_model::HelpFile> help_;  // empty until the first ShowTopic
    int displayedContext_ = 0;
    DpiScale scale_;
    WindowFonts fonts_;
    OwnedFont titleFont_;
    OwnedWindow window_;
};

// A topic as the help window's text box shows it: paragraphs apart, items that follow directly on the next
// line, each item with its bullet or number, Windows line ends.
std::string HelpTopicText(const window_model::HelpSection& section);

}  // namespace flash410::win32_window
