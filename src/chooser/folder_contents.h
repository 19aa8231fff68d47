// What the chooser's two lists show of one folder.
#pragma once

#include <string>
#include <vector>

namespace flash410::chooser {

struct FolderContents {
    std::vector<std::string> SubFolders;  // bare names, in name order ignoring case
    std::vector<std::string> Files;       // bare names of the files that match the mask, same order
    std::string Error;                    // why the folder could not be listed (in full), or empty
};

// Lists a folder. Names starting with "." are hidden, as Linux file managers hide them; a link counts as
// what it points to, and a broken link is left out.
FolderContents ReadFolderContents(const std::string& folder, const std::string& mask);

}  // namespace flash410::chooser
