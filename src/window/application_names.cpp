#include "window/application_names.h"

#include <QApplication>
#include <QIcon>

#include "flash410_version.h"

namespace flash410 {

void NameTheApplication() {
    QApplication::setApplicationName("Varnel Flash Device Upload");
    QApplication::setApplicationDisplayName("Varnel Flash Device Upload");
    QApplication::setApplicationVersion(kVersion);
    // The desktop matches the window to the installed desktop entry by this name, and so shows its icon.
    QGuiApplication::setDesktopFileName(kApplicationId);
    // Installed, the icon is in the icon theme; in a folder of its own the window keeps the default one.
    QApplication::setWindowIcon(QIcon::fromTheme(kApplicationId));
}

}  // namespace flash410
