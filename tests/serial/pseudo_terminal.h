// A pseudo-terminal pair for tests: the test plays the far end on the master side, the component opens
// the slave through a ports/comN link in a temporary program folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace serial4::testing {

class PseudoTerminal {
  public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }

    void Send(const std::string& bytes);
    // Reads what the component sent until count bytes have come or nothing more comes for quietMs.
    std::string Receive(std::size_t count, int quietMs = 2000);
    // Closes the master side: the far end vanishes.
    void Hangup();

  private:
    int master_ = -1;
    std::string slavePath_;
};

// A temporary program folder whose ports/comN links lead to devices; removed with the object.
class ProgramFolder {
  public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    void Link(int port, const std::string& device);
    // With the trailing "/".
    std::string path() const { return path_ + "/"; }

  private:
    std::string path_;
};

}  // namespace serial4::testing
