#include "win32_window/banner_painting.h"

#include "win32_window/resource_ids.h"

namespace flash410::win32_window {

namespace {

SIZE SizeOf(HBITMAP bitmap) {
    BITMAP header{};
    GetObjectW(bitmap, sizeof(header), &header);
    return {header.bmWidth, header.bmHeight};
}

// An empty 24-bit bitmap, top row first, to draw on.
OwnedBitmap EmptyPicture(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return OwnedBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

// The picture scaled to the size; HALFTONE averages the pixels that fall on one, as a smooth scaling does.
OwnedBitmap Scaled(HBITMAP picture, int width, int height) {
    OwnedBitmap scaled = EmptyPicture(width, height);
    const OwnedMemoryDc from(CreateCompatibleDC(nullptr));
    const OwnedMemoryDc to(CreateCompatibleDC(nullptr));
    if (!scaled || !from || !to) {
        return {};
    }
    const SIZE size = SizeOf(picture);
    {
        const Selection source(from.get(), picture);
        const Selection target(to.get(), scaled.get());
        SetStretchBltMode(to.get(), HALFTONE);
        SetBrushOrgEx(to.get(), 0, 0, nullptr);  // HALFTONE wants the brush origin set after it
        StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, size.cx, size.cy, SRCCOPY);
    }
    GdiFlush();
    return scaled;
}

}  // namespace

OwnedBitmap LoadBannerPicture(const DpiScale& scale) {
    const int id = scale.dpi() > kDesignDpi ? FLASH410_BANNER_2X_ID : FLASH410_BANNER_ID;
    return OwnedBitmap(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                       IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

OwnedBitmap PaintBanner(const DpiScale& scale) {
    OwnedBitmap picture = LoadBannerPicture(scale);
    if (!picture) {
        return {};
    }
    const int width = scale(kBannerWidth);
    const int height = scale(kBannerHeight);
    const SIZE size = SizeOf(picture.get());
    if (size.cx == width && size.cy == height) {
        return picture;
    }
    return Scaled(picture.get(), width, height);
}

}  // namespace flash410::win32_window
