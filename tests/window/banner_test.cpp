// The banner's pictures as the program carries them, and the banner shown from them at the screen's device
// pixel ratio. Run twice: on a screen of ratio 1 and, with QT_SCALE_FACTOR=2, of ratio 2.
#include "window/banner.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QLabel>
#include <QPoint>
#include <cstdlib>
#include <filesystem>

namespace flash410::window {
namespace {

const std::filesystem::path ScreenshotFolder = FLASH410_SCREENSHOT_FOLDER;

// How far two images of one size are apart, on average over every pixel and channel.
double MeanDifference(const QImage& one, const QImage& other) {
    long total = 0;
    for (int y = 0; y < one.height(); ++y) {
        for (int x = 0; x < one.width(); ++x) {
            const QColor a = one.pixelColor(x, y);
            const QColor b = other.pixelColor(x, y);
            total +=
                std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
        }
    }
    return static_cast<double>(total) / (3.0 * one.width() * one.height());
}

TEST(Banner, TheProgramCarriesOnePictureAtTheDesignSizeAndAtTwiceIt) {
    const QImage normal = BannerPicture(1);
    const QImage fine = BannerPicture(2);
    ASSERT_EQ(normal.size(), QSize(kBannerWidth, kBannerHeight));
    ASSERT_EQ(fine.size(), QSize(2 * kBannerWidth, 2 * kBannerHeight));
    // One picture at both sizes: the finer one averaged by blocks of 2 x 2 is the other, but for its
    // sharper edges.
    const QImage halved = fine.scaled(normal.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LT(MeanDifference(normal, halved), 2.0);
    // The field's dark blue inside the frame at the top left.
    EXPECT_EQ(normal.pixel(2, 2) & 0xf0f0f0, 0x104090u);
}

TEST(Banner, CoversTheDesignSizeInTheScreensPixels) {
    for (const qreal ratio : {1.0, 2.0}) {
        const QPixmap banner = BannerPixmap(ratio);
        EXPECT_EQ(banner.devicePixelRatio(), ratio);
        EXPECT_EQ(banner.toImage().convertToFormat(QImage::Format_RGB32),
                  BannerPicture(ratio).convertToFormat(QImage::Format_RGB32))
            << ratio;
    }
    // Between the two the finer picture, smoothly scaled.
    const QPixmap banner = BannerPixmap(1.5);
    EXPECT_EQ(banner.devicePixelRatio(), 1.5);
    EXPECT_EQ(banner.size(), QSize(449, 102));
    const QImage halved = BannerPicture(1).scaled(150, 34, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LT(MeanDifference(
                  halved, banner.toImage().scaled(150, 34, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)),
              3.0);
}

TEST(Banner, ShowsCentredInTheWindowsPictureLabelInTheScreensPixels) {
    QLabel label;
    label.resize(361, 77);

    ShowBanner(label);

    EXPECT_EQ(label.alignment(), Qt::AlignCenter);
    const qreal ratio = label.devicePixelRatioF();
    EXPECT_EQ(label.pixmap().devicePixelRatio(), ratio);
    const QImage shown = label.grab().toImage();
    const QImage banner = BannerPicture(ratio);
    // The banner's pixels at these places of the design, where the label centres it.
    const QPoint offset((361 - kBannerWidth) / 2, (77 - kBannerHeight) / 2);
    for (const QPoint at :
         {QPoint(0, 0), QPoint(298, 67), QPoint(150, 34), QPoint(100, 20), QPoint(30, 30)}) {
        EXPECT_EQ(shown.pixelColor((at + offset) * ratio), banner.pixelColor(at * ratio))
            << at.x() << "," << at.y();
    }
    // Left of the banner the label shows its own background, not the banner.
    EXPECT_NE(shown.pixelColor((offset + QPoint(-2, 10)) * ratio), banner.pixelColor(QPoint(0, 10) * ratio));
    const std::string name = ratio == 1 ? "banner_label.png" : "banner_label@2x.png";
    ASSERT_TRUE(shown.save(QString::fromStdString((ScreenshotFolder / name).string())));
}

}  // namespace
}  // namespace flash410::window
