// A program run as a child process to its end: its wall time and the CPU time it used.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace flash410::bench {

struct ChildRun {
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point exit;
    double cpuSeconds = 0;  // user + system
    int exitStatus = -1;    // the exit code, or -1 when it did not exit normally
    std::string output;     // standard output and error together

    double WallSeconds() const { return std::chrono::duration<double>(exit - start).count(); }
};

// Runs program with the arguments, its environment this one's with the variables given replaced, and its
// output into outputFile; waits for it to end. Throws std::runtime_error when it cannot be started.
ChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments,
                  const std::map<std::string, std::string>& environment, const std::string& outputFile);

}  // namespace flash410::bench
