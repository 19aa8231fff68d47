// window_driver.exe: works a running Flash410.exe from another process as an operator would, by its
// controls only: it finds the window and its controls by their captions, picks list entries, presses
// buttons and reads labels, and waits, within a bound, for what the window should show next.
//
// Usage: window_driver.exe --port N --file FIRMWARE [--screenshots FOLDER]
// Uploads FIRMWARE (an upload image) through COM N: picks the port, Start Upload, Choose File (and the
// file in the chooser), Start Upload on the run panel, until the window says the upload is complete;
// then Close. With --screenshots it saves the window in each screen as FOLDER\N-screen.bmp. Exits 0
// when the window said "Upload complete", 1 (saying what the window showed) when a bound passed first.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
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

constexpr wchar_t kWindowTitle[] = L"FIRMWARE UPLOAD UTILITY FOR VARNEL FLASH-UPLOAD DEVICES  -  ZRM-410 Modems";
// The file name box of the system's Open dialog (cmb13, or edt1 in the older dialog).
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileNameEdit = 0x480;

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
        std::wstring item(static_cast<std::size_t>(std::max<LRESULT>(Ask(list, CB_GETLBTEXTLEN, index), 0)) + 1, L'\0');
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
    Ask(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
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
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), rows.data(), reinterpret_cast<BITMAPINFO*>(&header),
              DIB_RGB_COLORS);
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

// The file name box of the Open dialog that the window shows for Choose File, once it is up (a message
// box is a dialog too, but has no file name box).
HWND ChooserFileName(HWND top) {
    for (HWND candidate = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); candidate != nullptr;
         candidate = FindWindowExW(nullptr, candidate, L"#32770", nullptr)) {
        if (GetWindow(candidate, GW_OWNER) != top || !IsWindowVisible(candidate)) {
            continue;
        }
        for (const int id : {kFileNameCombo, kFileNameEdit}) {
            if (const HWND name = GetDlgItem(candidate, id); name != nullptr) {
                return name;
            }
        }
    }
    return HWND{};
}

void Upload(const std::wstring& port, const std::wstring& file, const std::wstring& screenshots) {
    const HWND top = WaitFor(60s, "the window is up", [] {
        const HWND window = FindWindowW(nullptr, kWindowTitle);
        return window != nullptr && IsWindowVisible(window) ? window : nullptr;
    });
    Screenshot(top, screenshots, "1-opening");
    const auto [ports, index] = ListWith(top, port, 19);
    if (ports == nullptr) {
        throw Failure{"no port list with port " + Utf8FromUtf16(port)};
    }
    Pick(ports, index);
    Press(Button(top, L"&Start Upload"), "Start Upload");
    WaitFor(60s, "the port is open", [&] { return LabelStarting(top, L"Port is open on Com " + port); });
    Screenshot(top, screenshots, "2-main");

    Press(Button(top, L"Choose File"), "Choose File");
    const HWND name = WaitFor(30s, "the chooser is up", [top] { return ChooserFileName(top); });
    Ask(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
    Press(GetDlgItem(GetParent(name), IDOK), "the chooser's OK");
    WaitFor(60s, "the run panel asks for Start Upload", [top] { return LabelStarting(top, L"Click on <Start Upload>"); });
    Screenshot(top, screenshots, "3-run");

    Press(Button(top, L"Start &Upload"), "Start Upload on the run panel");
    // Blocks going out about a third of the way through; on a line too fast to see that, the end.
    const HWND seen = WaitFor(600s, "blocks are being sent", [top] {
        const HWND sending = LabelStarting(top, L"Sending block ");
        if (sending != nullptr && std::wcstol(TextOf(sending).c_str() + 14, nullptr, 10) >= 85) {
            return sending;
        }
        return LabelStarting(top, L"Upload complete.");
    });
    if (const std::wstring text = TextOf(seen); text.starts_with(L"Sending")) {
        Screenshot(top, screenshots, "4-uploading");
    }
    WaitFor(600s, "the upload is complete", [top] { return LabelStarting(top, L"Upload complete."); });
    Screenshot(top, screenshots, "5-complete");
    Press(Button(top, L"&Close"), "Close");
    WaitFor(60s, "the window has closed", [top] { return !IsWindow(top) || !IsWindowVisible(top); });
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
    if (!port || !file) {
        std::fprintf(stderr, "Usage: window_driver.exe --port N --file FIRMWARE [--screenshots FOLDER]\n");
        return 2;
    }
    try {
        Upload(*port, *file, Option(argc, argv, L"--screenshots").value_or(L""));
    } catch (const Failure& failure) {
        const HWND now = FindWindowW(nullptr, kWindowTitle);
        std::fprintf(stderr, "window_driver: %s; the window shows:\n%s", failure.what.c_str(),
                     now != nullptr ? Showing(now).c_str() : "    (no window)\n");
        return 1;
    }
    std::printf("window_driver: the window said the upload was complete\n");
    return 0;
}
