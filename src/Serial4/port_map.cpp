#include "port_map.h"

namespace serial4 {

std::string ComName(int port) {
    return "COM" + std::to_string(port);
}

}  // namespace serial4
