// Runs a program to its end with an environment of the test's making and collects what it prints.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace flash410::test {

struct ProgramRun {
    int exitStatus = -1;  // -1 when the program did not end normally
    std::string output;   // standard output; standard error goes to the test's own
};

// The test process's environment, as a name-to-value map to change before a run.
std::map<std::string, std::string> CurrentEnvironment();

// Waits for the program however long it takes: the programs run here end by themselves. An empty
// workingFolder leaves the program in the test's own.
ProgramRun RunProgram(const std::string& path, const std::vector<std::string>& arguments,
                      const std::map<std::string, std::string>& environment,
                      const std::string& workingFolder = {});

}  // namespace flash410::test
