#include "child_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

extern char** environ;  // NOLINT(readability-identifier-naming): the C library's name

namespace flash410::bench {

namespace {

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& replaced) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (!replaced.contains(text.substr(0, text.find('=')))) {
            entries.push_back(text);
        }
    }
    for (const auto& [name, value] : replaced) {
        entries.push_back(name + "=" + value);
    }
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

class FileActions {
  public:
    explicit FileActions(const std::string& outputFile) {
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_addopen(&actions_, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions_, 1, 2);
    }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    const posix_spawn_file_actions_t* get() const { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_{};
};

}  // namespace

ChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments,
                  const std::map<std::string, std::string>& environment, const std::string& outputFile) {
    std::vector<std::string> argumentTexts{program};
    argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentTexts = EnvironmentWith(environment);
    std::vector<char*> argv = Pointers(argumentTexts);
    std::vector<char*> envp = Pointers(environmentTexts);
    const FileActions actions(outputFile);

    ChildRun run;
    pid_t child = 0;
    run.start = std::chrono::steady_clock::now();
    const int failed = posix_spawn(&child, program.c_str(), actions.get(), nullptr, argv.data(), envp.data());
    if (failed != 0) {
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(failed));
    }
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error("waiting for " + program + ": " + std::strerror(errno));
        }
    }
    run.exit = std::chrono::steady_clock::now();
    run.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream output(outputFile, std::ios::binary);
    run.output.assign(std::istreambuf_iterator<char>(output), std::istreambuf_iterator<char>());
    return run;
}

}  // namespace flash410::bench
