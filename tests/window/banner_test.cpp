#include "window/banner.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QLabel>
#include <QRect>
#include <filesystem>

namespace flash410::window {
namespace {

const std::filesystem::path ScreenshotFolder = FLASH410_SCREENSHOT_FOLDER;

QString ScreenshotPath(const char* name) {
    return QString::fromStdString((ScreenshotFolder / name).string());
}

// Pixels in the area for which the test holds.
int CountPixels(const QImage& image, const QRect& area, bool (*test)(QColor)) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += test(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

bool IsNearWhite(QColor c) {
    return c.red() > 215 && c.green() > 215 && c.blue() > 215;
}
bool IsDarkBlue(QColor c) {
    return c.blue() > c.red() + 30 && c.blue() > c.green() + 20 && c.value() < 170;
}

TEST(Banner, IsA24BitPictureOfTheBannerSize) {
    const QImage banner = PaintBanner();

    EXPECT_EQ(banner.size(), QSize(299, 68));
    EXPECT_EQ(banner.depth(), 24);
    EXPECT_EQ(banner.format(), QImage::Format_RGB888);
    ASSERT_TRUE(banner.save(ScreenshotPath("banner.png")));
}

TEST(Banner, IsADarkBlueFieldWithLetteringAndADish) {
    const QImage banner = PaintBanner();
    const QRect whole = banner.rect();
    const QRect nameArea(84, 6, 207, 30);      // "VARNEL"
    const QRect productArea(84, 44, 207, 20);  // "ZRM-410 Flash Upload"
    const QRect dishArea(4, 4, 70, 60);

    // Most of the banner is field; the lettering and the dish stand out against it.
    EXPECT_GT(CountPixels(banner, whole, IsDarkBlue), whole.width() * whole.height() * 6 / 10);
    EXPECT_GT(CountPixels(banner, nameArea, IsNearWhite), 300);
    EXPECT_GT(CountPixels(banner, productArea, [](QColor c) { return c.blue() > 200 && c.red() > 150; }),
              100);
    EXPECT_GT(CountPixels(banner, dishArea, IsNearWhite), 150);
    // Nothing white strays below the lettering or into the corners.
    EXPECT_EQ(CountPixels(banner, QRect(84, 64, 207, 3), IsNearWhite), 0);
}

TEST(Banner, PaintsTheSamePictureEveryTime) {
    EXPECT_EQ(PaintBanner(), PaintBanner());
}

TEST(Banner, ShowsCentredInTheWindowsPictureLabel) {
    QLabel label;
    label.resize(361, 77);

    ShowBanner(label);

    EXPECT_EQ(label.alignment(), Qt::AlignCenter);
    const QImage shown = label.grab().toImage();
    const QImage banner = PaintBanner();
    const QPoint offset((361 - 299) / 2, (77 - 68) / 2);
    for (const QPoint at :
         {QPoint(0, 0), QPoint(298, 67), QPoint(150, 34), QPoint(100, 20), QPoint(30, 30)}) {
        EXPECT_EQ(shown.pixelColor(at + offset), banner.pixelColor(at)) << at.x() << "," << at.y();
    }
    // Left and right of the banner the label shows its own background, not the banner.
    EXPECT_NE(shown.pixelColor(offset.x() - 2, 34), banner.pixelColor(0, 34));
    ASSERT_TRUE(shown.save(ScreenshotPath("banner_label.png")));
}

}  // namespace
}  // namespace flash410::window
