// The folders the shell knows by id (the profile, Program Files, the application data folders).
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <string>

namespace flash410::platform {

// The folder as UTF-8 text, without a trailing separator; "" when the shell does not know it.
std::string KnownFolder(REFKNOWNFOLDERID id);

}  // namespace flash410::platform
