// The banner's pictures as the program carries them, and the banner drawn from them at the monitor's scale.
// (That the two pictures are one, at two sizes, tests/window/banner_test.cpp shows.)
#include "win32_window/banner_painting.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace flash410::win32_window {
namespace {

// A bitmap's pixels as the system hands them out (0x00RRGGBB), top row first.
struct Picture {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::vector<std::uint32_t> pixels;

    int Channel(int x, int y, int shift) const {
        return static_cast<int>((pixels[static_cast<std::size_t>(y) * width + x] >> shift) & 0xff);
    }
};

Picture Read(HBITMAP bitmap) {
    Picture picture;
    BITMAP header{};
    GetObjectW(bitmap, sizeof(header), &header);
    picture.width = header.bmWidth;
    picture.height = header.bmHeight;
    picture.bitsPerPixel = header.bmBitsPixel;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), picture.width, -picture.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    const HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(picture.height), picture.pixels.data(), &info,
              DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return picture;
}

// The picture with each block of size x size pixels averaged into one.
Picture Averaged(const Picture& picture, int size) {
    Picture averaged{picture.width / size, picture.height / size, 32, {}};
    for (int y = 0; y < averaged.height; ++y) {
        for (int x = 0; x < averaged.width; ++x) {
            std::uint32_t pixel = 0;
            for (const int shift : {0, 8, 16}) {
                int sum = 0;
                for (int dy = 0; dy < size; ++dy) {
                    for (int dx = 0; dx < size; ++dx) {
                        sum += picture.Channel(x * size + dx, y * size + dy, shift);
                    }
                }
                pixel |= static_cast<std::uint32_t>(sum / (size * size)) << shift;
            }
            averaged.pixels.push_back(pixel);
        }
    }
    return averaged;
}

// How far two pictures of one size are apart, on average over every pixel and channel.
double MeanDifference(const Picture& one, const Picture& other) {
    long total = 0;
    for (int y = 0; y < one.height; ++y) {
        for (int x = 0; x < one.width; ++x) {
            for (const int shift : {0, 8, 16}) {
                total += std::abs(one.Channel(x, y, shift) - other.Channel(x, y, shift));
            }
        }
    }
    return static_cast<double>(total) / (3.0 * one.width * one.height);
}

TEST(Banner, TheProgramCarriesThePictureAtTheDesignSizeAndAtTwiceIt) {
    const OwnedBitmap normal = LoadBannerPicture(DpiScale());
    const OwnedBitmap fine = LoadBannerPicture(DpiScale(192));
    ASSERT_TRUE(normal);
    ASSERT_TRUE(fine);
    const Picture coarse = Read(normal.get());
    const Picture finer = Read(fine.get());
    EXPECT_EQ(coarse.width, kBannerWidth);
    EXPECT_EQ(coarse.height, kBannerHeight);
    EXPECT_EQ(coarse.bitsPerPixel, 24);
    ASSERT_EQ(finer.width, 2 * kBannerWidth);
    ASSERT_EQ(finer.height, 2 * kBannerHeight);
    EXPECT_EQ(finer.bitsPerPixel, 24);
}

TEST(Banner, IsDrawnAtTheMonitorsScaleFromThePictureForItsDpi) {
    // At 96 and 192 DPI the picture made for it, pixel for pixel.
    for (const UINT dpi : {96U, 192U}) {
        const OwnedBitmap banner = PaintBanner(DpiScale(dpi));
        ASSERT_TRUE(banner) << dpi;
        const Picture drawn = Read(banner.get());
        const Picture picture = Read(LoadBannerPicture(DpiScale(dpi)).get());
        EXPECT_EQ(drawn.width, kBannerWidth * static_cast<int>(dpi) / 96) << dpi;
        EXPECT_EQ(drawn.height, kBannerHeight * static_cast<int>(dpi) / 96) << dpi;
        EXPECT_EQ(drawn.bitsPerPixel, 24) << dpi;
        EXPECT_TRUE(drawn.pixels == picture.pixels) << dpi;
    }
    // At 144 DPI the finer picture scaled down to the design size times 1.5, the width rounded.
    const OwnedBitmap banner = PaintBanner(DpiScale(144));
    ASSERT_TRUE(banner);
    const Picture drawn = Read(banner.get());
    EXPECT_EQ(drawn.width, 449);
    EXPECT_EQ(drawn.height, 102);
    EXPECT_EQ(drawn.bitsPerPixel, 24);
    // The whole picture, smoothly scaled: at half the design size (blocks of 3 x 3 of it, of 2 x 2 of the
    // normal picture) the two are one.
    const Picture normal = Read(LoadBannerPicture(DpiScale()).get());
    EXPECT_LT(MeanDifference(Averaged(normal, 2), Averaged(drawn, 3)), 6.0);
}

}  // namespace
}  // namespace flash410::win32_window
