// "flash410-cli ports": the serial ports present, with the adapter behind each, so that the operator can
// tell which cable leads to which modem before anything is sent.
#pragma once

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/system_conventions.h"
#include "serial/port_inventory.h"

namespace flash410::cli {

using PortLister = std::function<std::vector<serial::PortDescription>()>;

// One line a port (COM number, device, kind, the adapter's identity, the program holding it), and under
// an adapter that holds received bytes back for more than 1 ms, how to make it pass them on at once.
void WritePortList(std::span<const serial::PortDescription> ports, std::ostream& out,
                   const SystemConventions& system);

// The same as one JSON array of objects with snake_case fields, null where a field is unknown.
std::string PortListJson(std::span<const serial::PortDescription> ports);

int RunPorts(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
             const PortLister& listPorts, const SystemConventions& system = ThisSystem());

CliCommand PortsCommand(PortLister listPorts);

}  // namespace flash410::cli
