// The banner at the top of the main window: a 299 x 68 pixel, 24-bit picture painted at run time
// (no image file to ship or lose), shown centred in the window's 361 x 77 picture label.
#pragma once

#include <QImage>

class QLabel;

namespace flash410::window {

inline constexpr int kBannerWidth = 299;
inline constexpr int kBannerHeight = 68;

// Paints the banner: a dark blue field, a satellite dish sending towards the text "VARNEL" and
// "ZRM-410 Flash Upload". Needs a running QGuiApplication (for the fonts). Format RGB888.
QImage PaintBanner();

// Shows the banner centred in the label (the window's BannerImage).
void ShowBanner(QLabel& label);

}  // namespace flash410::window
