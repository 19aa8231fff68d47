#include "cli/system_conventions.h"

namespace flash410::cli {

const SystemConventions& ThisSystem() {
    return kLinuxConventions;
}

}  // namespace flash410::cli
