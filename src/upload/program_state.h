// The program-wide state of one run: what the sequencer, the handlers and the file preparation share.
// It lives in the core object and is touched only on the window's thread.
#pragma once

#include <cstdint>
#include <string>

#include "upload/sequencer_step.h"

namespace flash410::upload {

struct ProgramState {
    SequencerStep SequencerState = SequencerStep::kIdle;  // the step the next tick performs
    std::string ReplyBuffer;                              // received bytes not yet consumed
    // The reply line WaitForReply handed back last. Once a file has been converted it holds the image's
    // checksum text instead, which the run panel shows, until the upload dialogue takes a line again.
    std::string LastReply;
    std::string WaitingFor;  // quoted in "Timed out " + WaitingFor
    std::int32_t WaitTicks = 0;
    std::int32_t WaitLimitTicks = 0;
    std::int32_t PortOpenPolls = 0;
    std::int32_t HandshakeTries = 0;
    std::int32_t BlocksSent = 0;
    std::int32_t BlockCount = 0;
    std::int32_t UploadBaud = 0;
    // Times of day as fractions of a day.
    double UploadStartTime = 0;
    double UploadEndTime = 0;
    std::int32_t HelpTopic = 0;

    std::string ChosenFile;
    std::string ChosenFileStem;
    std::string ChosenExtension;
    std::string BinaryFileName;
    std::string ImageFileName;
    std::int32_t BinaryImageRecords = 0;
    bool EndOfInput = false;
    std::string ProgramFolder;  // with its trailing "/"

    // The port list's text as the port settings file left it at start-up.
    std::string RememberedPort;
};

}  // namespace flash410::upload
