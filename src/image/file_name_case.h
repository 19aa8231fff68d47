#pragma once

#include <filesystem>

namespace flash410::image {

// File names ignore case where the firmware files come from: for a name the program forms (such as
// "fw.BIN", to be replaced), an existing file in that folder whose name differs only in case is the
// file meant. Returns the formed path when it exists as written or nothing matches; when several names
// match, the first in byte order, so the choice does not depend on the folder's listing order.
std::filesystem::path ResolveFileNameCase(const std::filesystem::path& formed);

}  // namespace flash410::image
