// The banner as GDI paints it: the picture the Linux window shows, at the monitor's scale.
#include "win32_window/banner_painting.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace flash410::win32_window {
namespace {

struct Pixel {
    int red, green, blue;
};

// The bitmap's pixels as the system hands them out, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::vector<Pixel> pixels;

    Pixel At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    int Count(const RECT& area, const std::function<bool(Pixel)>& test) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                count += test(At(x, y)) ? 1 : 0;
            }
        }
        return count;
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
    std::vector<std::uint32_t> bits(static_cast<std::size_t>(picture.width) * picture.height);
    const HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(picture.height), bits.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (const std::uint32_t bit : bits) {
        picture.pixels.push_back({static_cast<int>((bit >> 16) & 0xff), static_cast<int>((bit >> 8) & 0xff),
                                  static_cast<int>(bit & 0xff)});
    }
    return picture;
}

bool IsNearWhite(Pixel p) {
    return p.red > 215 && p.green > 215 && p.blue > 215;
}
bool IsDarkBlue(Pixel p) {
    return p.blue > p.red + 30 && p.blue > p.green + 20 && p.blue < 170;
}

TEST(Banner, IsADarkBlueFieldWithLetteringAndADishAsOnLinux) {
    const OwnedBitmap banner = PaintBanner(DpiScale());
    ASSERT_TRUE(banner);
    const Picture picture = Read(banner.get());
    ASSERT_EQ(picture.width, 299);
    ASSERT_EQ(picture.height, 68);
    EXPECT_EQ(picture.bitsPerPixel, 24);

    // The areas of the Linux banner's test: most of it is field, the lettering and the dish stand out.
    EXPECT_GT(picture.Count({0, 0, 299, 68}, IsDarkBlue), 299 * 68 * 6 / 10);
    EXPECT_GT(picture.Count({84, 6, 291, 36}, IsNearWhite), 300);  // "VARNEL"
    EXPECT_GT(picture.Count({84, 44, 291, 64}, [](Pixel p) { return p.blue > 200 && p.red > 150; }), 100);
    EXPECT_GT(picture.Count({4, 4, 74, 64}, IsNearWhite), 150);   // the dish
    EXPECT_EQ(picture.Count({84, 64, 291, 67}, IsNearWhite), 0);  // nothing white strays below the lettering
    // The accent rule under the name: orange at its left end, fading into the field.
    const Pixel rule = picture.At(90, 40);
    EXPECT_GT(rule.red, 180);
    EXPECT_LT(rule.blue, 100);
}

TEST(Banner, GrowsWithTheMonitorsDpiAndKeepsItsPicture) {
    const Picture normal = Read(PaintBanner(DpiScale()).get());
    const Picture large = Read(PaintBanner(DpiScale(192)).get());
    ASSERT_EQ(large.width, 598);
    ASSERT_EQ(large.height, 136);
    // The same places hold the same colours, within what averaging the finer picture gives.
    for (const POINT at : {POINT{20, 8}, POINT{150, 66}, POINT{100, 40}, POINT{285, 55}}) {
        const Pixel small = normal.At(at.x, at.y);
        const Pixel big = large.At(at.x * 2, at.y * 2);
        EXPECT_NEAR(small.red, big.red, 40) << at.x << "," << at.y;
        EXPECT_NEAR(small.blue, big.blue, 40) << at.x << "," << at.y;
    }
}

}  // namespace
}  // namespace flash410::win32_window
