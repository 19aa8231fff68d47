// The banner at the top of the main window (a dark blue field, a satellite dish sending towards the
// lettering "VARNEL" and "ZRM-410 Flash Upload"), drawn from the pictures of it that the program carries
// as Qt resources: one at 96 DPI and one at twice that, rendered from packaging/banner/banner.svg.
#pragma once

#include <QImage>
#include <QPixmap>

class QLabel;

namespace flash410::window {

// The banner's size in the design, in pixels at 96 DPI (device pixel ratio 1).
inline constexpr int kBannerWidth = 299;
inline constexpr int kBannerHeight = 68;

// The program's picture of the banner for a screen of this device pixel ratio: the one at the design size
// up to a ratio of 1, the one at twice that above. A null image when the program lacks the resource.
QImage BannerPicture(qreal devicePixelRatio);

// The banner for a screen of this device pixel ratio: the picture for that ratio, smoothly scaled to the
// design size times the ratio where that is not its size, with the ratio as its own, so that it covers
// the design size in the screen's pixels.
QPixmap BannerPixmap(qreal devicePixelRatio);

// Shows the banner centred in the label (the window's BannerImage), in the pixels of the label's screen.
void ShowBanner(QLabel& label);

}  // namespace flash410::window
