// The serial ports Windows has now, known by their COM names alone: each number that names a device. What
// adapter is behind one is not asked for here, so each is a port of no particular kind.
#pragma once

#include <vector>

#include "serial/port_inventory.h"
#include "serial/port_map.h"

namespace flash410::win32_window {

std::vector<serial::PortDescription> PresentPorts(const serial::PortMap& ports);

}  // namespace flash410::win32_window
