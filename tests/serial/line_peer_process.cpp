#include "line_peer_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

extern char** environ;

namespace flash410::serial::testing {

namespace {

struct Pipe {
    platform::UniqueFd readEnd;
    platform::UniqueFd writeEnd;
};

Pipe MakePipe() {
    int ends[2] = {-1, -1};
    if (pipe2(ends, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot make a pipe");
    }
    return {platform::UniqueFd(ends[0]), platform::UniqueFd(ends[1])};
}

class SpawnActions {
  public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_{};
};

// Reads up to the first newline; the peer says nothing more until it is told to end.
std::string ReadFirstLine(int fd) {
    std::string line;
    char ch = 0;
    for (;;) {
        const ssize_t got = ::read(fd, &ch, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0 || ch == '\n') {
            return line;
        }
        line.push_back(ch);
    }
}

}  // namespace

LinePeerProcess::LinePeerProcess(const std::vector<std::string>& arguments) {
    Pipe input = MakePipe();
    Pipe output = MakePipe();
    SpawnActions actions;
    posix_spawn_file_actions_adddup2(actions.get(), input.readEnd.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(actions.get(), output.writeEnd.get(), STDOUT_FILENO);

    std::string program = LINE_PEER_PATH;
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), actions.get(), nullptr, argv.data(), environ) != 0) {
        throw std::runtime_error("cannot start " + program);
    }
    // Only the peer keeps its ends, so that its exit shows here as the end of its output.
    input.readEnd.Reset();
    output.writeEnd.Reset();
    toPeer_ = std::move(input.writeEnd);
    firstLine_ = ReadFirstLine(output.readEnd.get());
}

LinePeerProcess::~LinePeerProcess() {
    toPeer_.Reset();
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace flash410::serial::testing
