#include "win32_window/file_chooser.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "chooser/folder_paths.h"
#include "platform/utf16_text_win32.h"
#include "win32_window/owned_window.h"

namespace flash410::win32_window {

namespace {

using Id = ChooserControl;

constexpr wchar_t kDialogClass[] = L"Flash410FileChooser";
constexpr wchar_t kMessageTitle[] = L"Varnel Flash Device Upload";
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
// The Linux dialog's client area, and its group box, whose inside the lists' places are given in.
constexpr int kDialogWidth = 488;
constexpr int kDialogHeight = 364;
constexpr int kBoxLeft = 35;
constexpr int kBoxTop = 7;
// The hint under the folder list is in Arial of 12 pixels: 9 points at the design's 96 DPI.
constexpr double kHintPoints = 9.0;
// How far an opened drop-down list reaches below its field.
constexpr int kDropDownHeight = 160;

// A place inside the group box, in the dialog's client area.
constexpr RECT InBox(int left, int top, int width, int height) {
    return DesignRect(kBoxLeft + left, kBoxTop + top, width, height);
}

std::wstring Wide(const std::string& text) {
    return platform::Utf16FromUtf8(text);
}

std::string TextOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return platform::Utf8FromUtf16(text);
}

// The row picked in a list box, or in a drop-down list the item; nothing when none is.
std::optional<std::size_t> Picked(HWND list, UINT getSelection) {
    const LRESULT index = SendMessageW(list, getSelection, 0, 0);
    return index >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(index)) : std::nullopt;
}

std::optional<std::size_t> PickedRow(HWND list) {
    return Picked(list, LB_GETCURSEL);
}

std::optional<std::size_t> PickedItem(HWND list) {
    return Picked(list, CB_GETCURSEL);
}

void FillListBox(HWND list, const std::vector<std::string>& rows) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& row : rows) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(row).c_str()));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

std::vector<std::string> ComboBoxItems(HWND list) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        items.push_back(platform::Utf8FromUtf16(text.c_str()));
    }
    return items;
}

// Shows a drop-down list's items and its current one. The items are put in afresh only when they
// changed: the list may be the one whose pick is being handled.
void ShowItems(HWND list, const std::vector<std::string>& items, std::optional<std::size_t> current) {
    if (ComboBoxItems(list) != items) {
        SendMessageW(list, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : items) {
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
        }
    }
    SendMessageW(list, CB_SETCURSEL, current ? static_cast<WPARAM>(*current) : static_cast<WPARAM>(-1), 0);
}

void ShowErrorBox(HWND owner, const std::string& text) {
    MessageBoxW(owner, Wide(text).c_str(), kMessageTitle, MB_OK | MB_ICONERROR);
}

}  // namespace

ChooserDialog::ChooserDialog(HWND owner, chooser::ChooserModel& model, ErrorBox errorBox)
    : owner_(owner),
      model_(model),
      errorBox_(errorBox ? std::move(errorBox) : ShowErrorBox),
      scale_(DpiOfOwner(owner)),
      fonts_(scale_),
      window_(CreateOwnedWindow(
          owner,
          {kDialogClass, kChooserTitle, kDialogStyle, kDialogExStyle, kDialogWidth, kDialogHeight, true},
          scale_, &ChooserDialog::Procedure, this)) {
    if (!window_) {
        open_ = false;
        return;
    }
    BuildControls();
    Draw();
    if (owner_ != nullptr) {
        EnableWindow(owner_, FALSE);
    }
    ShowWindow(hwnd(), SW_SHOW);
    SetFocus(Control(Id::kFileNameBox));
    ShowErrors();
}

ChooserDialog::~ChooserDialog() {
    if (window_) {
        End(chosen_);
        SetWindowLongPtrW(hwnd(), GWLP_USERDATA, 0);
    }
}

std::optional<std::string> ChooserDialog::RunModal() {
    MSG message{};
    while (open_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) {
                PostQuitMessage(static_cast<int>(message.wParam));
            }
            End(std::nullopt);
            break;
        }
        if (!TakeKey(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return chosen_;
}

bool ChooserDialog::TakeKey(MSG& message) {
    if (!open_ || (message.hwnd != hwnd() && !IsChild(hwnd(), message.hwnd))) {
        return false;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
        // Enter works the control that has the keyboard, as in the Linux dialog: it goes into the folder
        // picked, takes the file picked, presses OK from the name box (while OK is shown) or the button.
        const auto id = static_cast<Id>(GetDlgCtrlID(message.hwnd));
        if (id == Id::kFileTypeList || id == Id::kDriveList) {
            return false;  // an open drop-down list closes on its pick
        }
        switch (id) {
            case Id::kFolderList:
                FolderDoubleClicked();
                break;
            case Id::kFileList:
                if (SendMessageW(message.hwnd, LB_GETCURSEL, 0, 0) >= 0) {
                    FileDoubleClicked();
                }
                break;
            case Id::kFileNameBox:
                if (model_.OkShown()) {
                    OkPressed();
                }
                break;
            case Id::kOkButton:
            case Id::kCancelButton:
                SendMessageW(message.hwnd, BM_CLICK, 0, 0);
                break;
            default:
                break;
        }
        return true;
    }
    return IsDialogMessageW(hwnd(), &message) != 0;
}

LRESULT CALLBACK ChooserDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ChooserDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->hwnd() != window) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->Handle(message, wParam, lParam);
}

LRESULT ChooserDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            Command(static_cast<Id>(LOWORD(wParam)), HIWORD(wParam));
            return 0;
        case WM_CLOSE:
            End(std::nullopt);
            return 0;
        case WM_CTLCOLORSTATIC:
            // The hint is black, as the Linux dialog sets it; every label on the dialog's own colour.
            SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        default:
            break;
    }
    return DefWindowProcW(hwnd(), message, wParam, lParam);
}

HWND ChooserDialog::Add(Id id, const wchar_t* windowClass, DWORD style, const RECT& design,
                        const std::string& text, DWORD exStyle) {
    const RECT place = scale_(design);
    const HWND control = CreateWindowExW(
        exStyle, windowClass, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, place.left, place.top,
        place.right - place.left, place.bottom - place.top, hwnd(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Base()), FALSE);
    return control;
}

void ChooserDialog::BuildControls() {
    // Made in the Linux dialog's tab order: the name box, the files, the folders, the type, the drive,
    // OK and Cancel.
    constexpr DWORD kList = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
    constexpr DWORD kDropDown = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    Add(Id::kContentsBox, WC_BUTTONW, BS_GROUPBOX, DesignRect(kBoxLeft, kBoxTop, 422, 305));
    Add(Id::kFileNameLabel, WC_STATICW, SS_LEFTNOWORDWRAP, InBox(32, 24, 145, 17), "File Name:");
    Add(Id::kFileNameBox, WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, InBox(32, 48, 145, 24), "",
        WS_EX_CLIENTEDGE);
    Add(Id::kFileList, WC_LISTBOXW, kList, InBox(32, 96, 145, 113), "", WS_EX_CLIENTEDGE);
    Add(Id::kFoldersLabel, WC_STATICW, SS_LEFTNOWORDWRAP, InBox(224, 40, 145, 17), "Directories:");
    // A long folder name is shortened in its middle, as the Linux dialog shortens it.
    Add(Id::kCurrentFolderLabel, WC_STATICW, SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_PATHELLIPSIS,
        InBox(224, 64, 190, 17));
    Add(Id::kFolderList, WC_LISTBOXW, kList, InBox(224, 96, 145, 113), "", WS_EX_CLIENTEDGE);
    const HWND hint = Add(Id::kFolderHint, WC_STATICW, SS_LEFTNOWORDWRAP, InBox(211, 212, 178, 14),
                          "Double click to change directory");
    SendMessageW(hint, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Points(kHintPoints)), FALSE);
    Add(Id::kFileTypeLabel, WC_STATICW, SS_LEFTNOWORDWRAP, InBox(20, 232, 169, 17), "File Type:");
    Add(Id::kFileTypeList, WC_COMBOBOXW, kDropDown, InBox(20, 256, 169, 24 + kDropDownHeight));
    Add(Id::kDriveLabel, WC_STATICW, SS_LEFTNOWORDWRAP, InBox(211, 232, 198, 17), "Drive:");
    Add(Id::kDriveList, WC_COMBOBOXW, kDropDown, InBox(211, 256, 198, 22 + kDropDownHeight));
    // OK is shown once a name is typed or picked, as in the Linux dialog.
    const HWND ok =
        Add(Id::kOkButton, WC_BUTTONW, BS_DEFPUSHBUTTON | WS_TABSTOP, DesignRect(123, 322, 89, 33), "OK");
    ShowWindow(ok, SW_HIDE);
    Add(Id::kCancelButton, WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, DesignRect(250, 322, 89, 33), "Cancel");
}

HWND ChooserDialog::Control(Id id) const {
    return GetDlgItem(hwnd(), static_cast<int>(id));
}

void ChooserDialog::Command(Id id, WORD code) {
    switch (id) {
        case Id::kFileNameBox:
            if (code == EN_CHANGE) {
                model_.EditName(TextOf(Control(id)));
                DrawNameBox();
            }
            break;
        case Id::kFileList:
            if (code == LBN_SELCHANGE) {
                FileSelected();
            } else if (code == LBN_DBLCLK) {
                FileDoubleClicked();
            }
            break;
        case Id::kFolderList:
            if (code == LBN_DBLCLK) {
                FolderDoubleClicked();
            }
            break;
        case Id::kFileTypeList:
            if (code == CBN_SELCHANGE) {
                if (const std::optional<std::size_t> index = PickedItem(Control(id))) {
                    model_.ChooseType(*index);
                }
                Draw();
                ShowErrors();
            }
            break;
        case Id::kDriveList:
            if (code == CBN_SELCHANGE) {
                // A drive that cannot be listed leaves the pick at the drive shown.
                if (const std::optional<std::size_t> index = PickedItem(Control(id))) {
                    model_.ChooseDrive(*index);
                }
                Draw();
                ShowErrors();
            }
            break;
        case Id::kOkButton:
            if (code == BN_CLICKED) {
                OkPressed();
            }
            break;
        case Id::kCancelButton:
            if (code == BN_CLICKED) {
                End(std::nullopt);
            }
            break;
        default:
            break;
    }
}

void ChooserDialog::FileSelected() {
    model_.SelectFile(PickedRow(Control(Id::kFileList)));
    DrawNameBox();
}

void ChooserDialog::FileDoubleClicked() {
    const std::optional<std::size_t> row = PickedRow(Control(Id::kFileList));
    End(row ? model_.AcceptFile(*row) : model_.Accept());
    ShowErrors();
}

void ChooserDialog::FolderDoubleClicked() {
    const std::optional<std::size_t> row = PickedRow(Control(Id::kFolderList));
    if (row && model_.EnterFolderRow(*row)) {
        Draw();
    }
    ShowErrors();
}

void ChooserDialog::OkPressed() {
    // A mask, an empty name or a file that is not there closes the dialog with nothing.
    End(model_.Accept());
    ShowErrors();
}

void ChooserDialog::End(std::optional<std::string> chosen) {
    if (!open_) {
        return;
    }
    open_ = false;
    chosen_ = std::move(chosen);
    // The owner takes the keyboard back before the dialog goes, so that it is the active window again.
    if (owner_ != nullptr) {
        EnableWindow(owner_, TRUE);
    }
    ShowWindow(hwnd(), SW_HIDE);
}

void ChooserDialog::Draw() {
    SetWindowTextW(Control(Id::kCurrentFolderLabel),
                   Wide(chooser::NativeFolderText(model_.CurrentFolder())).c_str());
    FillListBox(Control(Id::kFolderList), model_.FolderRows());
    FillListBox(Control(Id::kFileList), model_.FileRows());
    const std::optional<std::size_t> selected = model_.SelectedFile();
    SendMessageW(Control(Id::kFileList), LB_SETCURSEL,
                 selected ? static_cast<WPARAM>(*selected) : static_cast<WPARAM>(-1), 0);
    std::vector<std::string> descriptions;
    for (const chooser::FileType& type : model_.FileTypes()) {
        descriptions.push_back(type.Description);
    }
    ShowItems(Control(Id::kFileTypeList), descriptions, model_.TypeIndex());
    std::vector<std::string> drives;
    for (const std::string& drive : model_.Drives()) {
        drives.push_back(chooser::NativeFolderText(drive));
    }
    ShowItems(Control(Id::kDriveList), drives, model_.DriveIndex());
    DrawNameBox();
}

void ChooserDialog::DrawNameBox() {
    const HWND nameBox = Control(Id::kFileNameBox);
    if (TextOf(nameBox) != model_.NameBoxText()) {
        SetWindowTextW(nameBox, Wide(model_.NameBoxText()).c_str());
    }
    ShowWindow(Control(Id::kOkButton), model_.OkShown() ? SW_SHOW : SW_HIDE);
}

void ChooserDialog::ShowErrors() {
    for (const std::string& error : model_.TakeErrors()) {
        errorBox_(open_ ? hwnd() : owner_, error);
    }
}

std::optional<std::string> FileChooser::Choose(HWND owner, const std::string& filter) {
    if (!model_) {
        model_.emplace(homeFolder_);
    }
    model_->SetFilter(filter);
    model_->Refresh();
    ChooserDialog dialog(owner, *model_);
    return dialog.RunModal();
}

}  // namespace flash410::win32_window
