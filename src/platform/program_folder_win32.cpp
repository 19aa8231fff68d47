#include <windows.h>

#include <filesystem>
#include <vector>

#include "platform/program_folder.h"

namespace flash410::platform {

std::string RunningProgramFolder() {
    // The name may be longer than MAX_PATH; the call cuts it short and says so by filling the buffer.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            const std::filesystem::path program(std::wstring(buffer.data(), length));
            return program.parent_path().generic_string() + "/";
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace flash410::platform
