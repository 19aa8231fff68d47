#include "cli/system_conventions.h"

namespace flash410::cli {

const SystemConventions& ThisSystem() {
    return kWindowsConventions;
}

}  // namespace flash410::cli
