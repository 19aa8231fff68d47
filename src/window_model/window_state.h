// What the window keeps besides the dialogue's state (which the upload engine keeps): the file chosen and
// its preparation, the help topic, and the program's folder and remembered port. It is touched only on
// the window's thread.
#pragma once

#include <cstdint>
#include <string>

#include "window_model/preparation_step.h"

namespace flash410::window_model {

struct WindowState {
    PreparationStep Preparation = PreparationStep::kIdle;  // the step the next tick performs, when not idle
    std::int32_t HelpTopic = 0;

    std::string ChosenFile;
    std::string ChosenFileStem;
    std::string ChosenExtension;
    std::string BinaryFileName;
    std::string ImageFileName;
    std::int32_t BinaryImageRecords = 0;
    bool EndOfInput = false;
    // The checksum text of the image last converted, which the run panel shows.
    std::string ChecksumText;
    std::string ProgramFolder;  // with its trailing "/"

    // The port list's text as the port settings file left it at start-up.
    std::string RememberedPort;
};

}  // namespace flash410::window_model
