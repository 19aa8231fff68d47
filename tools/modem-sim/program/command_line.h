// The modem-sim program's options.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "modem_sim/sim_config.h"

namespace modemsim {

struct ProgramOptions {
    SimConfig config;
    // The folder of the program to link to; the link goes into that program's settings folder.
    std::optional<std::filesystem::path> linkFolder;
    int linkPort = 1;
    std::optional<std::string> imagePath = std::string("modem-sim-flash.bin");  // none: --no-image
    std::optional<std::string> sampleFile;  // --make-sample: write it and end
    bool verbose = false;
    bool help = false;
    bool version = false;
};

struct ParsedCommandLine {
    ProgramOptions options;
    std::string error;  // empty when the command line is good
};

// args: the arguments after the program name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string HelpText();

}  // namespace modemsim
