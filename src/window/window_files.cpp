#include "window/window_files.h"

#include <QCoreApplication>

#include "platform/home_folder.h"

namespace flash410::window {

WindowFiles LocateWindowFiles() {
    std::string home = platform::UserHomeFolder();
    platform::FileLocations files =
        platform::LocateFiles(QCoreApplication::applicationDirPath().toStdString() + "/",
                              platform::UserFoldersFromEnvironment(home));
    return {std::move(files), std::move(home)};
}

}  // namespace flash410::window
