#include "window/window_files.h"

#include <QCoreApplication>

#include "platform/home_folder.h"

namespace flash410 {

WindowFiles LocateWindowFiles() {
    std::string home = chooser::UserHomeFolder();
    FileLocations files = LocateFiles(QCoreApplication::applicationDirPath().toStdString() + "/",
                                      UserFoldersFromEnvironment(home));
    return {std::move(files), std::move(home)};
}

}  // namespace flash410
