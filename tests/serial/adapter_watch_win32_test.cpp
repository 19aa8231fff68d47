// The adapter watch on Windows is prompt wherever the system has the configuration manager's notifications
// (Windows 8 on; Wine 8.0 has none).
#include <windows.h>

#include <gtest/gtest.h>

#include "serial/adapter_watch.h"

namespace flash410::serial {
namespace {

TEST(AdapterWatchWin32, PromptWhereverTheSystemNotifies) {
    const HMODULE library = LoadLibraryExW(L"cfgmgr32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const bool notifies =
        library != nullptr && GetProcAddress(library, "CM_Register_Notification") != nullptr;
    if (library != nullptr) {
        FreeLibrary(library);
    }
    const AdapterWatch watch([] {});
    EXPECT_EQ(watch.Prompt(), notifies);
}

}  // namespace
}  // namespace flash410::serial
