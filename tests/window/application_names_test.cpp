// The names the window program gives itself leave every window's title as the window sets it.
#include "window/application_names.h"

#include <gtest/gtest.h>

#include <QApplication>

#include "window_model/window_layout.h"

namespace flash410::window {
namespace {

TEST(ApplicationNames, NoDisplayNameIsAddedToTheWindowsTitles) {
    NameTheApplication();
    EXPECT_EQ(QApplication::applicationName().toStdString(), window_model::kApplicationTitle);
    // Once a display name is set, Qt adds it to the title of every window on the desktop ("... ZRM-410
    // Modems — Varnel Flash Device Upload"). Without one, the display name is the application's name and
    // follows it.
    QApplication::setApplicationName("probe");
    EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(), "probe");
    QApplication::setApplicationName(window_model::kApplicationTitle);
}

}  // namespace
}  // namespace flash410::window
