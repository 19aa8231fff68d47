// window_driver.exe: works a running Flash410.exe from another process as an operator would, by its
// controls only: it finds the window and its controls by their captions, picks list entries, presses
// buttons and reads labels, and waits, within a bound, for what the window should show next.
//
// Usage: window_driver.exe --port N [--file FIRMWARE] [--ending complete|failed|back|no-port|files]
//                          [--screenshots FOLDER]
// Uploads FIRMWARE (an upload image) through COM N: picks the port (the line beside the list then names
// it), Start Upload, looks at the help,
// Choose File (and in the chooser the file's drive, its folders one by one, the file and OK), Start
// Upload on the run panel, until the window says the upload is complete; then Close. With --screenshots
// it saves the window in each screen (and the chooser and the help) as FOLDER\N-screen.bmp. Exits 0
// when the window said "Upload complete", 1 (saying what the window showed) when a bound passed first.
// --ending asks for another end and its words instead: "failed" a modem that answers FAILED ("Upload
// HALTED"), "back" Go Back to Start while blocks are being sent (the opening panel again), "no-port" a port
// with no device behind it (an error box, then "Port did not open"), "files" only what makes the window
// write its files: the port opened, the capture switched on, the help read (its topics there), then Close.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/utf16_text_win32.h"

namespace {

using flash410::platform::Utf16FromUtf8;
using flash410::platform::Utf8FromUtf16;
using namespace std::chrono_literals;

constexpr wchar_t kWindowTitle[] =
    L"FIRMWARE UPLOAD UTILITY FOR VARNEL FLASH-UPLOAD DEVICES  -  ZRM-410 Modems";
constexpr wchar_t kChooserTitle[] = L"Select a File Name";
constexpr wchar_t kHelpTitle[] = L"Varnel Flash Device Upload - Help";

struct Failure {
    std::string what;
};

// A message to another program's window, which gives up rather than hang on a window that does not answer.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result) == 0) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

std::wstring TextOf(HWND window) {
    const LRESULT length = Ask(window, WM_GETTEXTLENGTH);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::vector<HWND> Controls(HWND top) {
    std::vector<HWND> found;
    EnumChildWindows(
        top,
        [](HWND child, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The visible control of the class whose caption the test accepts.
HWND Find(HWND top, const wchar_t* className, const std::function<bool(const std::wstring&)>& accepts) {
    for (const HWND control : Controls(top)) {
        if (IsWindowVisible(control) && _wcsicmp(ClassOf(control).c_str(), className) == 0 &&
            accepts(TextOf(control))) {
            return control;
        }
    }
    return nullptr;
}

HWND Button(HWND top, const std::wstring& caption) {
    return Find(top, L"Button", [&caption](const std::wstring& text) { return text == caption; });
}

HWND LabelStarting(HWND top, const std::wstring& start) {
    return Find(top, L"Static", [&start](const std::wstring& text) { return text.rfind(start, 0) == 0; });
}

std::vector<std::wstring> Items(HWND list) {
    std::vector<std::wstring> items;
    const LRESULT count = Ask(list, CB_GETCOUNT);
    for (LRESULT index = 0; index < count; ++index) {
        std::wstring item(
            static_cast<std::size_t>(std::max<LRESULT>(Ask(list, CB_GETLBTEXTLEN, index), 0)) + 1, L'\0');
        Ask(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()));
        items.push_back(item.c_str());
    }
    return items;
}

// The drop-down list that holds this many entries, among them this one; its entry's index too.
std::pair<HWND, int> ListWith(HWND top, const std::wstring& item, std::size_t count) {
    for (const HWND control : Controls(top)) {
        if (_wcsicmp(ClassOf(control).c_str(), L"ComboBox") != 0 || !IsWindowVisible(control)) {
            continue;
        }
        const std::vector<std::wstring> items = Items(control);
        for (std::size_t index = 0; index < items.size(); ++index) {
            if (items.size() == count && items[index] == item) {
                return {control, static_cast<int>(index)};
            }
        }
    }
    return {nullptr, -1};
}

// Picks the entry as the operator's click does: the list selects it and tells its parent.
void Pick(HWND list, int index) {
    Ask(list, CB_SETCURSEL, static_cast<WPARAM>(index));
    Ask(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
        reinterpret_cast<LPARAM>(list));
}

// Presses the button without waiting for what it starts (a modal dialog would keep a sent message).
void Press(HWND button, const std::string& name) {
    if (button == nullptr || PostMessageW(button, BM_CLICK, 0, 0) == 0) {
        throw Failure{"no button " + name + " to press"};
    }
    std::printf("window_driver: pressed %s\n", name.c_str());
}

// Everything the window shows in words, for a failure's report.
std::string Showing(HWND top) {
    std::string shown;
    for (const HWND control : Controls(top)) {
        const std::wstring text = TextOf(control);
        if (IsWindowVisible(control) && !text.empty()) {
            shown += "    " + Utf8FromUtf16(ClassOf(control)) + ": " + Utf8FromUtf16(text) + "\n";
        }
    }
    return shown;
}

template <typename Found>
auto WaitFor(std::chrono::seconds bound, const std::string& what, Found found) {
    const auto until = std::chrono::steady_clock::now() + bound;
    for (;;) {
        if (auto result = found()) {
            std::printf("window_driver: %s\n", what.c_str());
            std::fflush(stdout);
            return result;
        }
        if (std::chrono::steady_clock::now() > until) {
            throw Failure{"waited " + std::to_string(bound.count()) + " s for " + what};
        }
        std::this_thread::sleep_for(100ms);
    }
}

// Saves the window's client area as it is on the screen, as a 24-bit BMP file.
void Screenshot(HWND top, const std::wstring& folder, const std::string& name) {
    if (folder.empty()) {
        return;
    }
    std::this_thread::sleep_for(700ms);  // let the window finish painting
    // The client area: what the window draws itself, as the Linux window's screenshots show it.
    RECT box;
    GetClientRect(top, &box);
    MapWindowPoints(top, HWND_DESKTOP, reinterpret_cast<POINT*>(&box), 2);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> rows(static_cast<std::size_t>(stride) * height);
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), rows.data(),
              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4d42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(rows.size());
    std::ofstream out(std::filesystem::path(folder) / Utf16FromUtf8(name + ".bmp"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(rows.data(), static_cast<std::streamsize>(rows.size()));
}

// A window of the program's that the main window owns (the chooser, the help), once it is up.
HWND OwnedWindow(HWND top, const wchar_t* title) {
    for (HWND candidate = FindWindowExW(nullptr, nullptr, nullptr, title); candidate != nullptr;
         candidate = FindWindowExW(nullptr, candidate, nullptr, title)) {
        if (GetWindow(candidate, GW_OWNER) == top && IsWindowVisible(candidate)) {
            return candidate;
        }
    }
    return nullptr;
}

// The visible controls of a class, left to right (the chooser's file list is left of its folder list,
// its type list left of its drive list).
std::vector<HWND> LeftToRight(HWND top, const wchar_t* className) {
    std::vector<std::pair<LONG, HWND>> found;
    for (const HWND control : Controls(top)) {
        RECT box;
        if (IsWindowVisible(control) && _wcsicmp(ClassOf(control).c_str(), className) == 0 &&
            GetWindowRect(control, &box)) {
            found.emplace_back(box.left, control);
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<HWND> controls;
    for (const auto& entry : found) {
        controls.push_back(entry.second);
    }
    return controls;
}

std::vector<std::wstring> Rows(HWND list) {
    std::vector<std::wstring> rows;
    const LRESULT count = Ask(list, LB_GETCOUNT);
    for (LRESULT index = 0; index < count; ++index) {
        std::wstring row(static_cast<std::size_t>(std::max<LRESULT>(Ask(list, LB_GETTEXTLEN, index), 0)) + 1,
                         L'\0');
        Ask(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(row.data()));
        rows.push_back(row.c_str());
    }
    return rows;
}

// Picks a row of a list box as the operator's click (or double click) does.
void PickRow(HWND list, const std::wstring& row, WORD notification) {
    const std::vector<std::wstring> rows = Rows(list);
    const auto found = std::find(rows.begin(), rows.end(), row);
    if (found == rows.end()) {
        throw Failure{"no row " + Utf8FromUtf16(row) + " in the chooser's list"};
    }
    Ask(list, LB_SETCURSEL, static_cast<WPARAM>(found - rows.begin()));
    Ask(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), notification),
        reinterpret_cast<LPARAM>(list));
}

// Picks the file type whose entry names the file's extension ("Intel HEX (.hex)"), as the operator does
// before the file can be seen in the list.
void PickTypeOf(HWND types, const std::filesystem::path& file) {
    std::wstring extension = file.extension().wstring();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](wchar_t c) { return towlower(c); });
    const std::vector<std::wstring> items = Items(types);
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (items[index].find(L"(" + extension + L")") != std::wstring::npos) {
            Pick(types, static_cast<int>(index));
            return;
        }
    }
    throw Failure{"no file type for " + Utf8FromUtf16(extension) + " in the chooser"};
}

// Chooses the file in the chooser as the operator does: its drive, each of its folders from the drive's
// root down, its type, the file, OK; the chooser must show each folder it goes into.
void ChooseInChooser(HWND dialog, const std::wstring& file, const std::wstring& screenshots) {
    const std::filesystem::path path(file);
    const std::vector<HWND> lists = LeftToRight(dialog, L"ListBox");
    const std::vector<HWND> dropDowns = LeftToRight(dialog, L"ComboBox");
    if (lists.size() != 2 || dropDowns.size() != 2) {
        throw Failure{"the chooser has not its two lists and two drop-down lists"};
    }
    const HWND files = lists[0];
    const HWND folders = lists[1];
    const std::wstring drive = path.root_path().wstring();
    const auto [drives, index] = ListWith(dialog, drive, Items(dropDowns[1]).size());
    if (drives != dropDowns[1]) {
        throw Failure{"no drive " + Utf8FromUtf16(drive) + " in the chooser"};
    }
    Pick(drives, index);
    std::filesystem::path shown = path.root_path();
    for (const std::filesystem::path& folder : path.parent_path().relative_path()) {
        PickRow(folders, folder.wstring(), LBN_DBLCLK);
        shown /= folder;
        WaitFor(10s, "the chooser shows " + Utf8FromUtf16(shown.wstring()), [&] {
            return Find(dialog, L"Static", [&](const std::wstring& text) { return text == shown.wstring(); });
        });
    }
    PickTypeOf(dropDowns[0], path);
    PickRow(files, path.filename().wstring(), LBN_SELCHANGE);
    Screenshot(dialog, screenshots, "3-chooser");
    Press(Button(dialog, L"OK"), "the chooser's OK");
}

// Opens the help from the main window, looks at it and closes it again.
void LookAtHelp(HWND top, const std::wstring& screenshots) {
    Press(Button(top, L"&Help"), "Help");
    const HWND help = WaitFor(30s, "the help is up", [top] { return OwnedWindow(top, kHelpTitle); });
    Screenshot(help, screenshots, "2-help");
    Press(Button(help, L"&Close"), "the help's Close");
    WaitFor(30s, "the help has gone", [help] { return !IsWindowVisible(help); });
}

enum class Ending { kComplete, kModemFailed, kBackToStart, kNoPort, kFiles };

// Opens the help and checks that it found its text: topics to pick, not "Help is not available".
void ReadHelp(HWND top) {
    Press(Button(top, L"&Help"), "Help");
    const HWND help = WaitFor(30s, "the help is up", [top] { return OwnedWindow(top, kHelpTitle); });
    const std::vector<HWND> lists = LeftToRight(help, L"ListBox");
    if (lists.empty() || Rows(lists[0]).empty() ||
        Find(help, L"Static", [](const std::wstring& text) { return text == L"Help is not available"; })) {
        throw Failure{"the help found no text to show"};
    }
    std::printf("window_driver: the help shows %zu topics\n", Rows(lists[0]).size());
    Press(Button(help, L"&Close"), "the help's Close");
    WaitFor(30s, "the help has gone", [help] { return !IsWindowVisible(help); });
}

// The message box the window shows over itself, its words, and OK pressed on it.
std::string DismissMessageBox(HWND top) {
    const HWND box = WaitFor(60s, "a message box is up", [top] {
        for (HWND candidate = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); candidate != nullptr;
             candidate = FindWindowExW(nullptr, candidate, L"#32770", nullptr)) {
            if (GetWindow(candidate, GW_OWNER) == top && IsWindowVisible(candidate)) {
                return candidate;
            }
        }
        return HWND{};
    });
    std::string words;
    for (const HWND control : Controls(box)) {
        if (_wcsicmp(ClassOf(control).c_str(), L"Static") == 0) {
            words += Utf8FromUtf16(TextOf(control));
        }
    }
    std::printf("window_driver: the message box says: %s\n", words.c_str());
    Press(Button(box, L"OK"), "the message box's OK");
    return words;
}

// Works the window to the end asked for; the message ending says what the window said.
std::string Upload(const std::wstring& port, const std::wstring& file, const std::wstring& screenshots,
                   Ending ending) {
    const HWND top = WaitFor(60s, "the window is up", [] {
        const HWND window = FindWindowW(nullptr, kWindowTitle);
        return window != nullptr && IsWindowVisible(window) ? window : nullptr;
    });
    const auto [ports, index] = ListWith(top, port, 19);
    if (ports == nullptr) {
        throw Failure{"no port list with port " + Utf8FromUtf16(port)};
    }
    Pick(ports, index);
    // Beside the list, the device behind the port picked.
    WaitFor(30s, "the line beside the port list names COM" + Utf8FromUtf16(port),
            [&] { return LabelStarting(top, L"COM" + port + L": "); });
    Screenshot(top, screenshots, "1-opening");
    Press(Button(top, L"&Start Upload"), "Start Upload");
    const auto close = [top] {
        Press(Button(top, L"&Close"), "Close");
        WaitFor(60s, "the window has closed", [top] { return !IsWindow(top) || !IsWindowVisible(top); });
    };
    if (ending == Ending::kNoPort) {
        if (DismissMessageBox(top).find("COM" + Utf8FromUtf16(port)) == std::string::npos) {
            throw Failure{"the error box does not name the port"};
        }
        WaitFor(30s, "the window says the port did not open",
                [&] { return LabelStarting(top, L"Port did not open on Com " + port); });
        close();
        return "the port did not open";
    }
    WaitFor(60s, "the port is open", [&] { return LabelStarting(top, L"Port is open on Com " + port); });
    if (ending == Ending::kFiles) {
        Press(Button(top, L"&Enable Capture File"), "Enable Capture File");
        WaitFor(30s, "the capture is on", [top] { return Button(top, L"&Disable Capture File"); });
        ReadHelp(top);
        close();
        return "the port was open, the capture on and the help there";
    }
    Screenshot(top, screenshots, "2-main");
    LookAtHelp(top, screenshots);

    Press(Button(top, L"Choose File"), "Choose File");
    const HWND dialog = WaitFor(30s, "the chooser is up", [top] { return OwnedWindow(top, kChooserTitle); });
    ChooseInChooser(dialog, file, screenshots);
    WaitFor(60s, "the run panel asks for Start Upload",
            [top] { return LabelStarting(top, L"Click on <Start Upload>"); });
    Screenshot(top, screenshots, "4-run");

    Press(Button(top, L"Start &Upload"), "Start Upload on the run panel");
    // A modem that fails at once may leave no time to see a block being sent.
    if (ending != Ending::kModemFailed) {
        // On a line too fast to see a block go, the end.
        const HWND seen = WaitFor(120s, "blocks are being sent", [top] {
            const HWND sending = LabelStarting(top, L"Sending block");
            return sending != nullptr ? sending : LabelStarting(top, L"Upload complete.");
        });
        if (TextOf(seen).starts_with(L"Sending")) {
            Screenshot(top, screenshots, "5-uploading");
        }
    }
    std::string said = "the upload was complete";
    switch (ending) {
        case Ending::kComplete:
            WaitFor(600s, "the upload is complete",
                    [top] { return LabelStarting(top, L"Upload complete."); });
            Screenshot(top, screenshots, "6-complete");
            break;
        case Ending::kModemFailed:
            WaitFor(600s, "the upload has halted", [top] { return LabelStarting(top, L"Upload HALTED."); });
            said = "the upload halted";
            break;
        case Ending::kBackToStart:
            Press(Button(top, L"&Go Back to Start"), "Go Back to Start");
            WaitFor(30s, "the opening panel is back", [top] {
                return Button(top, L"&Start Upload") != nullptr &&
                       LabelStarting(top, L"Sending block") == nullptr;
            });
            said = "it was back at the start";
            break;
        case Ending::kNoPort:
        case Ending::kFiles:
            break;
    }
    close();
    return said;
}

std::optional<std::wstring> Option(int argc, wchar_t** argv, const wchar_t* name) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::wstring(argv[i]) == name) {
            return std::wstring(argv[i + 1]);
        }
    }
    return std::nullopt;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::optional<std::wstring> port = Option(argc, argv, L"--port");
    const std::optional<std::wstring> file = Option(argc, argv, L"--file");
    const std::wstring endingName = Option(argc, argv, L"--ending").value_or(L"complete");
    const std::pair<const wchar_t*, Ending> endings[] = {{L"complete", Ending::kComplete},
                                                         {L"failed", Ending::kModemFailed},
                                                         {L"back", Ending::kBackToStart},
                                                         {L"no-port", Ending::kNoPort},
                                                         {L"files", Ending::kFiles}};
    const auto ending = std::find_if(std::begin(endings), std::end(endings),
                                     [&](const auto& known) { return endingName == known.first; });
    // The files ending chooses no file.
    if (!port || ending == std::end(endings) || (!file && ending->second != Ending::kFiles)) {
        std::fprintf(stderr,
                     "Usage: window_driver.exe --port N [--file FIRMWARE] "
                     "[--ending complete|failed|back|no-port|files] [--screenshots FOLDER]\n");
        return 2;
    }
    std::string said;
    try {
        said = Upload(*port, file.value_or(L""), Option(argc, argv, L"--screenshots").value_or(L""),
                      ending->second);
    } catch (const Failure& failure) {
        const HWND now = FindWindowW(nullptr, kWindowTitle);
        std::fprintf(stderr, "window_driver: %s; the window shows:\n%s", failure.what.c_str(),
                     now != nullptr ? Showing(now).c_str() : "    (no window)\n");
        return 1;
    }
    std::printf("window_driver: the window said %s\n", said.c_str());
    return 0;
}
