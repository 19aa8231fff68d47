// Reads a command line with CLI11 and says how it went in terms a program words its own way: help asked
// for, or the first thing wrong with the arguments, never CLI11's exceptions or texts where ours exist.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "command_line/argument_problem.h"

namespace flash410::command_line {

struct ParsedArguments {
    bool HelpRequested = false;
    std::optional<ArgumentProblem> Problem;
    // What the app leaves to its caller: the arguments from the first it does not know on, for an app
    // that is a prefix command; nothing otherwise (they are a problem).
    std::vector<std::string> Rest;
};

struct ParseSettings {
    // "/?" asks for help as "--help" does (until "--"), as Windows programs have it.
    bool SlashQuestionMarkHelp = false;
};

// Parses the arguments (those after the program's or command's name) into the app's options. Arguments
// the app does not know are a problem, or the rest for a prefix command.
ParsedArguments ParseArguments(CLI::App& app, std::span<const std::string> arguments,
                               const ParseSettings& settings = {});

}  // namespace flash410::command_line
