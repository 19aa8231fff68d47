// The file chooser the main window opens from "Choose File": the modal "Select a File Name" dialog, native
// Win32, control for control as the Linux window's chooser (the file name box, the files of the chosen
// type, the folder shown and its folders, the type and drive lists, OK and Cancel) on the chooser's model.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "chooser/chooser_model.h"
#include "win32_window/gdi_objects.h"
#include "win32_window/window_fonts.h"

namespace flash410::win32_window {

// The dialog's controls by number (GetDlgCtrlID). OK and Cancel have the system's numbers, so that Esc
// cancels as in any dialog.
enum class ChooserControl : int {
    kOkButton = IDOK,
    kCancelButton = IDCANCEL,
    kContentsBox = 301,
    kFileNameLabel,
    kFileNameBox,
    kFileList,
    kFoldersLabel,
    kCurrentFolderLabel,
    kFolderList,
    kFolderHint,
    kFileTypeLabel,
    kFileTypeList,
    kDriveLabel,
    kDriveList,
};

inline constexpr wchar_t kChooserTitle[] = L"Select a File Name";

// One showing of the dialog over its owner, drawing the chooser's model and handing it the operator's
// actions.
// It is up (and its owner disabled) from construction to its end: OK or Cancel, Esc, the window's close
// box, or destruction.
class ChooserDialog {
  public:
    // Shows an error in a modal box; tests put their own in its place.
    using ErrorBox = std::function<void(HWND owner, const std::string& text)>;

    ChooserDialog(HWND owner, chooser::ChooserModel& model, ErrorBox errorBox = {});
    ~ChooserDialog();
    ChooserDialog(const ChooserDialog&) = delete;
    ChooserDialog& operator=(const ChooserDialog&) = delete;

    HWND hwnd() const { return window_.get(); }
    bool IsOpen() const { return open_; }
    // The full name of the file chosen with OK; nothing while open or when cancelled.
    const std::optional<std::string>& Chosen() const { return chosen_; }

    // Runs the dialog's own message loop until it ends, and returns what was chosen. A WM_QUIT that
    // arrives meanwhile ends it and is passed on to the loop outside.
    std::optional<std::string> RunModal();
    // The keys the dialog handles itself (Enter as the Linux dialog takes it, Tab, Esc, the arrows);
    // true when the message was taken.
    bool TakeKey(MSG& message);

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void BuildControls();
    HWND Add(ChooserControl id, const wchar_t* windowClass, DWORD style, const RECT& design,
             const std::string& text = "", DWORD exStyle = 0);
    HWND Control(ChooserControl id) const;
    void Command(ChooserControl id, WORD code);

    void FileSelected();
    void FileDoubleClicked();
    void FolderDoubleClicked();
    void OkPressed();
    void End(std::optional<std::string> chosen);

    // Draws the whole model: the folder, both lists, the name box, OK, the types and the drives.
    void Draw();
    // Draws what the name box's rules change: its text and OK.
    void DrawNameBox();
    void ShowErrors();

    HWND owner_;
    chooser::ChooserModel& model_;
    ErrorBox errorBox_;
    DpiScale scale_;
    WindowFonts fonts_;
    OwnedWindow window_;
    bool open_ = true;
    std::optional<std::string> chosen_;
};

// The chooser the main window keeps: its model lives from the first showing to the program's end, so the
// folder and type picked stay between showings, as the Linux window's do.
class FileChooser {
  public:
    // homeFolder: where the folder memory is kept.
    explicit FileChooser(std::string homeFolder) : homeFolder_(std::move(homeFolder)) {}

    // filter: the model's "description|mask|" pairs. The chosen file's full name (UTF-8), or nothing when
    // the operator cancelled.
    std::optional<std::string> Choose(HWND owner, const std::string& filter);

  private:
    std::string homeFolder_;
    std::optional<chooser::ChooserModel> model_;
};

}  // namespace flash410::win32_window
