#include <windows.h>

#include <filesystem>
#include <vector>

#include "program_folder.h"

namespace flash410 {

std::string RunningProgramFolder() {
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            return {};
        }
        if (length < name.size()) {
            const std::filesystem::path program(std::wstring(name.data(), length));
            return program.parent_path().string() + "\\";
        }
        name.resize(name.size() * 2);  // the name was cut: ask again with room for it
    }
}

}  // namespace flash410
