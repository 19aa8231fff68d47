#include "serial/port_reservation_name.h"

#include <cstdint>
#include <cstdio>

namespace flash410::serial {
namespace {

// Kernel object names are limited to MAX_PATH characters, and the name is put after a namespace and the
// program's own prefix.
constexpr std::size_t kLongestName = 200;
constexpr std::size_t kDigestDigits = 16;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// "\\.\" or "\\?\", with either slash.
bool HasDevicePrefix(const std::string& path) {
    return path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
           (path[2] == '.' || path[2] == '?') && IsSeparator(path[3]);
}

// FNV-1a: names that share their first characters still differ in the digest.
std::uint64_t Digest(const std::string& text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

}  // namespace

std::string PortReservationName(const std::string& devicePath) {
    std::string name = HasDevicePrefix(devicePath) ? devicePath.substr(4) : devicePath;
    if (!name.empty() && name.back() == ':') {
        name.pop_back();
    }
    for (char& c : name) {
        if (IsSeparator(c)) {
            c = '/';
        } else if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (name.size() > kLongestName) {
        char digest[kDigestDigits + 1];
        std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(Digest(name)));
        name.resize(kLongestName - kDigestDigits - 1);
        name += '~';
        name += digest;
    }
    return name;
}

}  // namespace flash410::serial
