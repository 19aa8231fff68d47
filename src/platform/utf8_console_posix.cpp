#include "platform/utf8_console.h"

namespace flash410::platform {

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

}  // namespace flash410::platform
