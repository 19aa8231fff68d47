// Flash410.exe: the window program on Windows.
#include <windows.h>

#include "platform/file_locations.h"
#include "platform/home_folder.h"
#include "platform/program_folder.h"
#include "win32_window/main_window.h"
#include "win32_window/message_loop.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    const std::string home = flash410::platform::UserHomeFolder();
    flash410::win32_window::MainWindow window(
        flash410::platform::LocateFiles(flash410::platform::RunningProgramFolder(),
                                        flash410::platform::UserFoldersFromEnvironment(home)),
        home);
    if (window.hwnd() == nullptr) {
        MessageBoxW(nullptr, L"The window cannot be made.", L"Varnel Flash Device Upload",
                    MB_OK | MB_ICONERROR);
        return 1;
    }
    window.Show(showCommand);
    return flash410::win32_window::RunMessageLoop(window.hwnd());
}
