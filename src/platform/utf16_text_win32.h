// Text as the programs hold it (UTF-8) and as the Windows W functions take it (UTF-16). Every name and
// caption crosses between the two here, so that no call reads UTF-8 in the system's narrow code page.
#pragma once

#include <string>
#include <string_view>

namespace flash410::platform {

// Bytes that are not UTF-8 become U+FFFD each; nothing throws.
std::wstring Utf16FromUtf8(std::string_view text);
// An unpaired surrogate becomes U+FFFD.
std::string Utf8FromUtf16(std::wstring_view text);

}  // namespace flash410::platform
