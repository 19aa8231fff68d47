#include "installed_tree.h"

#include <fstream>
#include <iterator>

namespace flash410::test {

namespace fs = std::filesystem;

ProgramRun InstallInto(const fs::path& prefix) {
    return RunProgram(FLASH410_CMAKE, {"--install", FLASH410_BUILD_DIR, "--prefix", prefix.string()},
                      CurrentEnvironment());
}

std::set<std::string> TreeListing(const fs::path& root) {
    std::set<std::string> listing;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        listing.insert(entry.path().lexically_relative(root).string());
    }
    return listing;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

}  // namespace flash410::test
