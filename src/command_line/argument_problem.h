// What is wrong with a command line, told so that each program can word it its own way.
#pragma once

#include <string>

namespace flash410::command_line {

enum class ProblemKind {
    kUnknownOption,  // Subject: the option, or an argument where the command takes none
    kMissingValue,   // Subject: the option; ExpectedValues: how many values it takes
    kGivenTwice,     // Subject: an option that takes one value (or one set of values) only
    kOther,          // Subject: CLI11's own description
};

struct ArgumentProblem {
    ProblemKind Kind = ProblemKind::kOther;
    std::string Subject;
    int ExpectedValues = 0;
    bool operator==(const ArgumentProblem&) const = default;
};

}  // namespace flash410::command_line
