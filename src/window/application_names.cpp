#include "window/application_names.h"

#include <QApplication>
#include <QIcon>

#include "flash410_version.h"
#include "window_model/window_layout.h"

namespace flash410::window {

void NameTheApplication() {
    // No display name: Qt would add it to the title of every window on the desktop. The message boxes and
    // the help window carry the program's name in titles of their own.
    QApplication::setApplicationName(window_model::kApplicationTitle);
    QApplication::setApplicationVersion(kVersion);
    // The desktop matches the window to the installed desktop entry by this name, and so shows its icon.
    QGuiApplication::setDesktopFileName(kApplicationId);
    // Installed, the icon is in the icon theme; in a folder of its own the window keeps the default one.
    QApplication::setWindowIcon(QIcon::fromTheme(kApplicationId));
}

}  // namespace flash410::window
