// The tree that `cmake --install` lays out from this build, as a packager gets it.
#pragma once

#include <filesystem>
#include <set>
#include <string>

#include "run_program.h"

namespace flash410::test {

// Installs this build under prefix.
ProgramRun InstallInto(const std::filesystem::path& prefix);

// Every file, link and folder below root, as paths relative to it ("bin", "bin/Flash410", ...).
std::set<std::string> TreeListing(const std::filesystem::path& root);

std::string ReadFile(const std::filesystem::path& path);

}  // namespace flash410::test
