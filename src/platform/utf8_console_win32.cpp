#include <windows.h>

#include <cstdio>
#include <iostream>

#include "platform/utf8_console.h"

namespace flash410::platform {

Utf8Console::Utf8Console() {
    const UINT current = GetConsoleOutputCP();  // 0 without a console: output goes to a file or a pipe
    if (current != 0 && current != CP_UTF8 && SetConsoleOutputCP(CP_UTF8) != 0) {
        previousCodePage_ = current;
    }
}

Utf8Console::~Utf8Console() {
    if (previousCodePage_ != 0) {
        // What is still buffered is shown in the code page it was written for.
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        SetConsoleOutputCP(previousCodePage_);
    }
}

}  // namespace flash410::platform
