#include "win32_window/banner_painting.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace flash410::win32_window {

namespace {

struct Colour {
    double red, green, blue;
};

constexpr Colour Rgb(int red, int green, int blue) {
    return {static_cast<double>(red), static_cast<double>(green), static_cast<double>(blue)};
}

constexpr Colour kFieldTop = Rgb(0x1d, 0x45, 0x9a);
constexpr Colour kFieldMiddle = Rgb(0x0c, 0x22, 0x5a);
constexpr Colour kFieldBottom = Rgb(0x05, 0x10, 0x30);
constexpr Colour kGlow = Rgb(0x4f, 0x8a, 0xe0);
constexpr Colour kFrame = Rgb(0x5a, 0x7e, 0xc8);
constexpr Colour kDishLight = Rgb(0xf2, 0xf5, 0xfa);
constexpr Colour kDishShade = Rgb(0x9a, 0xa8, 0xc0);
constexpr Colour kRimFace = Rgb(0xd8, 0xe0, 0xee);
constexpr Colour kSignal = Rgb(0x7f, 0xd6, 0xff);
constexpr Colour kAccent = Rgb(0xe8, 0xa8, 0x20);
constexpr Colour kSubtitle = Rgb(0xc6, 0xd8, 0xff);
constexpr Colour kWhite = Rgb(255, 255, 255);
constexpr Colour kBlack = Rgb(0, 0, 0);

// The dish sits left of the text; everything right of kTextLeft is lettering.
constexpr double kTextLeft = 84;
constexpr double kTextRight = kBannerWidth - 8;
constexpr double kDishX = 32;
constexpr double kDishY = 35;
// The dish faces up and to the right, towards the lettering.
constexpr double kDishTiltDegrees = 35;
constexpr double kGlowRadius = 40;
// Each pixel of the banner is drawn as kOversampling x kOversampling pixels first.
constexpr int kOversampling = 4;

Colour Mix(const Colour& from, const Colour& to, double share) {
    return {from.red + (to.red - from.red) * share, from.green + (to.green - from.green) * share,
            from.blue + (to.blue - from.blue) * share};
}

// A bitmap whose first row is its top, of this many bits a pixel, uncompressed.
BITMAPINFO TopDownBitmapInfo(int width, int height, WORD bitsPerPixel) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A 32-bit picture in memory that GDI can draw on, top row first.
class Canvas {
  public:
    Canvas(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
        const BITMAPINFO info = TopDownBitmapInfo(width, height, 32);
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        pixels_ = static_cast<std::uint32_t*>(bits);
        selection_.emplace(dc_.get(), bitmap_.get());
        SetGraphicsMode(dc_.get(), GM_ADVANCED);
    }

    bool valid() const { return pixels_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    HDC dc() const { return dc_.get(); }
    std::uint32_t* pixels() { return pixels_; }
    const std::uint32_t* pixels() const { return pixels_; }
    void Clear() {
        GdiFlush();
        std::memset(pixels_, 0, sizeof(std::uint32_t) * static_cast<std::size_t>(width_) * height_);
    }

  private:
    int width_;
    int height_;
    OwnedMemoryDc dc_;
    OwnedBitmap bitmap_;
    std::uint32_t* pixels_ = nullptr;
    std::optional<Selection> selection_;
};

std::uint32_t Pack(const Colour& colour) {
    const auto channel = [](double value) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(value), 0L, 255L));
    };
    return (channel(colour.red) << 16) | (channel(colour.green) << 8) | channel(colour.blue);
}

Colour Unpack(std::uint32_t pixel) {
    return Rgb(static_cast<int>((pixel >> 16) & 0xff), static_cast<int>((pixel >> 8) & 0xff),
               static_cast<int>(pixel & 0xff));
}

// Draws the banner in its own coordinates (the design's pixels) on canvases `pixelsPerUnit` times as
// large: shapes go onto a mask in white, then the mask's pixels take a colour (which may vary over the
// banner) at a given opacity.
class BannerPainter {
  public:
    explicit BannerPainter(double pixelsPerUnit, int width, int height)
        : unit_(pixelsPerUnit), picture_(width, height), mask_(width, height) {}

    bool valid() const { return picture_.valid() && mask_.valid(); }
    const Canvas& picture() const { return picture_; }

    // The point in banner coordinates at the centre of the picture's pixel.
    double X(int column) const { return (column + 0.5) / unit_; }
    double Y(int row) const { return (row + 0.5) / unit_; }

    // Every pixel takes colourAt(x, y), mixed in at the opacity it gives.
    template <typename ColourAt>
    void PaintEverywhere(ColourAt colourAt) {
        GdiFlush();
        std::uint32_t* pixel = picture_.pixels();
        for (int row = 0; row < picture_.height(); ++row) {
            for (int column = 0; column < picture_.width(); ++column, ++pixel) {
                const auto [colour, opacity] = colourAt(X(column), Y(row));
                if (opacity > 0) {
                    *pixel = Pack(Mix(Unpack(*pixel), colour, opacity));
                }
            }
        }
    }

    // Draws shapes with draw(dc) in banner coordinates and colours what they cover.
    template <typename Draw, typename ColourAt>
    void PaintShapes(Draw draw, ColourAt colourAt, double opacity = 1.0) {
        mask_.Clear();
        const XFORM transform{static_cast<FLOAT>(unit_), 0, 0, static_cast<FLOAT>(unit_), 0, 0};
        SetWorldTransform(mask_.dc(), &transform);
        draw(mask_.dc());
        ModifyWorldTransform(mask_.dc(), nullptr, MWT_IDENTITY);
        GdiFlush();
        const std::uint32_t* cover = mask_.pixels();
        std::uint32_t* pixel = picture_.pixels();
        for (int row = 0; row < picture_.height(); ++row) {
            for (int column = 0; column < picture_.width(); ++column, ++pixel, ++cover) {
                if ((*cover & 0xff) != 0) {
                    *pixel = Pack(Mix(Unpack(*pixel), colourAt(X(column), Y(row)), opacity));
                }
            }
        }
    }

    template <typename Draw>
    void PaintShapes(Draw draw, const Colour& colour, double opacity = 1.0) {
        PaintShapes(
            draw, [&colour](double, double) { return colour; }, opacity);
    }

  private:
    double unit_;
    Canvas picture_;
    Canvas mask_;
};

struct Painted {
    Colour colour;
    double opacity;
};

// What draws on the mask, in white: lines and outlines with a pen of the width (in banner units, round at
// the ends), and fills with no outline. draw(dc, finer) gets the factor by which its coordinates are
// multiplied: a geometric pen's width is a whole number of logical units, so the shapes are drawn 16
// times larger in a frame scaled down as much, which keeps a width such as 1.8.
template <typename Draw>
auto Stroked(double width, Draw draw) {
    return [width, draw](HDC dc) {
        XFORM finer{1.0F / 16, 0, 0, 1.0F / 16, 0, 0};
        ModifyWorldTransform(dc, &finer, MWT_LEFTMULTIPLY);
        const LOGBRUSH brush{BS_SOLID, RGB(255, 255, 255), 0};
        const GdiObject<HPEN> pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                                               static_cast<DWORD>(std::lround(width * 16)), &brush, 0,
                                               nullptr));
        const Selection usePen(dc, pen.get());
        const Selection noFill(dc, GetStockObject(NULL_BRUSH));
        draw(dc, 16);
    };
}

template <typename Draw>
auto Filled(Draw draw) {
    return [draw](HDC dc) {
        XFORM finer{1.0F / 16, 0, 0, 1.0F / 16, 0, 0};
        ModifyWorldTransform(dc, &finer, MWT_LEFTMULTIPLY);
        const Selection noPen(dc, GetStockObject(NULL_PEN));
        const Selection fill(dc, GetStockObject(WHITE_BRUSH));
        draw(dc, 16);
    };
}

int At(double value, int finer) {
    return static_cast<int>(std::lround(value * finer));
}

void Line(HDC dc, int finer, double x1, double y1, double x2, double y2) {
    MoveToEx(dc, At(x1, finer), At(y1, finer), nullptr);
    LineTo(dc, At(x2, finer), At(y2, finer));
}

Colour FieldAt(double y) {
    const double share = std::clamp(y / kBannerHeight, 0.0, 1.0);
    return share <= 0.55 ? Mix(kFieldTop, kFieldMiddle, share / 0.55)
                         : Mix(kFieldMiddle, kFieldBottom, (share - 0.55) / 0.45);
}

void PaintField(BannerPainter& painter) {
    painter.PaintEverywhere([](double, double y) { return Painted{FieldAt(y), 1.0}; });
    // A soft glow behind the dish lifts it off the field.
    painter.PaintEverywhere([](double x, double y) {
        const double distance = std::hypot(x - kDishX, y - kDishY);
        const double opacity =
            x < kTextLeft ? 110.0 / 255 * std::max(0.0, 1.0 - distance / kGlowRadius) : 0.0;
        return Painted{kGlow, opacity};
    });
    painter.PaintEverywhere([](double x, double y) {
        const bool edge = x < 1 || y < 1 || x > kBannerWidth - 1 || y > kBannerHeight - 1;
        return Painted{kFrame, edge ? 1.0 : 0.0};
    });
}

// A point of the dish's own frame on the banner: the frame is turned about the dish's centre, and GDI
// turns shapes unreliably, so the points are turned here.
POINT Tilted(double x, double y, int finer) {
    const double angle = kDishTiltDegrees * std::numbers::pi / 180.0;
    return {At(kDishX + x * std::cos(angle) - y * std::sin(angle), finer),
            At(kDishY + x * std::sin(angle) + y * std::cos(angle), finer)};
}

// An ellipse of the dish's frame, as the polygon of many points that it is on the banner.
std::vector<POINT> TiltedEllipse(double centreX, double centreY, double radiusX, double radiusY, int finer) {
    std::vector<POINT> points;
    constexpr int kSteps = 96;
    for (int step = 0; step < kSteps; ++step) {
        const double at = 2 * std::numbers::pi * step / kSteps;
        points.push_back(Tilted(centreX + radiusX * std::cos(at), centreY + radiusY * std::sin(at), finer));
    }
    return points;
}

// The dish in its own frame: the bowl opens towards -y, the feed sits at the focus above it.
void PaintDish(BannerPainter& painter) {
    // Stand and foot, drawn upright before the dish is tilted.
    painter.PaintShapes(
        Stroked(3, [](HDC dc, int finer) { Line(dc, finer, kDishX, kDishY + 6, kDishX - 4, 60); }),
        kDishShade);
    painter.PaintShapes(
        Stroked(3, [](HDC dc, int finer) { Line(dc, finer, kDishX - 16, 61, kDishX + 8, 61); }), kDishLight);

    // The bowl, shaded across its width in its own frame.
    const double angle = kDishTiltDegrees * std::numbers::pi / 180.0;
    const auto bowlShade = [angle](double x, double y) {
        const double across = (x - kDishX) * std::cos(angle) + (y - kDishY) * std::sin(angle);
        const double share = std::clamp((across + 24) / 48, 0.0, 1.0);
        return share <= 0.45 ? Mix(kDishShade, kDishLight, share / 0.45)
                             : Mix(kDishLight, kDishShade, (share - 0.45) / 0.55);
    };
    painter.PaintShapes(Filled([](HDC dc, int finer) {
                            const POINT bowl[] = {Tilted(-24, 0, finer), Tilted(-22, 20, finer),
                                                  Tilted(22, 20, finer), Tilted(24, 0, finer)};
                            BeginPath(dc);
                            MoveToEx(dc, bowl[0].x, bowl[0].y, nullptr);
                            PolyBezierTo(dc, bowl + 1, 3);
                            CloseFigure(dc);
                            EndPath(dc);
                            FillPath(dc);
                        }),
                        bowlShade);
    // The open face of the bowl, seen at a slant.
    painter.PaintShapes(Filled([](HDC dc, int finer) {
                            const std::vector<POINT> rim = TiltedEllipse(0, 0, 24, 7, finer);
                            Polygon(dc, rim.data(), static_cast<int>(rim.size()));
                        }),
                        kRimFace);
    painter.PaintShapes(Stroked(1.2,
                                [](HDC dc, int finer) {
                                    std::vector<POINT> rim = TiltedEllipse(0, 0, 24, 7, finer);
                                    rim.push_back(rim.front());
                                    Polyline(dc, rim.data(), static_cast<int>(rim.size()));
                                }),
                        kDishLight);
    // Feed arm from the middle of the bowl to the receiver at the focus.
    painter.PaintShapes(Stroked(1.6,
                                [](HDC dc, int finer) {
                                    const POINT arm[] = {Tilted(0, 2, finer), Tilted(0, -17, finer)};
                                    Polyline(dc, arm, 2);
                                }),
                        kDishShade);
    // The receiver: a square of 6 with corners of radius 1.5, its bottom 2 below the focus (0, -17).
    painter.PaintShapes(
        Filled([](HDC dc, int finer) {
            // The corners' centres, one a quarter turn, clockwise from the bottom right.
            constexpr double kCentres[][2] = {{1.5, -16.5}, {-1.5, -16.5}, {-1.5, -19.5}, {1.5, -19.5}};
            std::vector<POINT> receiver;
            for (int corner = 0; corner < 4; ++corner) {
                for (int step = 0; step <= 6; ++step) {
                    const double at = std::numbers::pi / 2 * (corner + step / 6.0);
                    receiver.push_back(Tilted(kCentres[corner][0] + 1.5 * std::cos(at),
                                              kCentres[corner][1] + 1.5 * std::sin(at), finer));
                }
            }
            Polygon(dc, receiver.data(), static_cast<int>(receiver.size()));
        }),
        kDishLight);
}

void PaintSignal(BannerPainter& painter) {
    // The focus (0, -17) of the tilted dish, on the banner.
    const double angle = kDishTiltDegrees * std::numbers::pi / 180.0;
    const double focusX = kDishX + 17 * std::sin(angle);
    const double focusY = kDishY - 17 * std::cos(angle);
    // Angles anticlockwise from three o'clock: the waves spread about the way the dish faces.
    constexpr double kFacingDegrees = 90 - kDishTiltDegrees;
    constexpr double kSpreadDegrees = 56;
    for (int wave = 1; wave <= 3; ++wave) {
        const double radius = 4.0 + 5.0 * wave;
        const auto arc = [focusX, focusY, radius](HDC dc, int finer) {
            std::vector<POINT> points;
            for (int step = 0; step <= 28; ++step) {
                const double degrees = kFacingDegrees - kSpreadDegrees / 2 + kSpreadDegrees * step / 28;
                const double at = degrees * std::numbers::pi / 180.0;
                points.push_back(
                    {At(focusX + radius * std::cos(at), finer), At(focusY - radius * std::sin(at), finer)});
            }
            Polyline(dc, points.data(), static_cast<int>(points.size()));
        };
        painter.PaintShapes(Stroked(1.8, arc), kSignal, (255.0 - 55 * wave) / 255);
    }
}

// Arial of this pixel size (an em of that many pixels), bold, italic when asked.
GdiObject<HFONT> LetteringFont(int pixelSize, bool italic) {
    return GdiObject<HFONT>(CreateFontW(-pixelSize, 0, 0, 0, FW_BOLD, italic ? TRUE : FALSE, FALSE, FALSE,
                                        DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                                        NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial"));
}

// The largest size, no larger than pixelSize, at which the text fits the width (letter spacing
// included).
int FittingSize(int pixelSize, const std::wstring& text, bool italic, int spacing) {
    const ScreenDc screen;
    for (; pixelSize > 6; --pixelSize) {
        const GdiObject<HFONT> font = LetteringFont(pixelSize, italic);
        const Selection use(screen.get(), font.get());
        SetTextCharacterExtra(screen.get(), spacing);
        SIZE size{};
        GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &size);
        SetTextCharacterExtra(screen.get(), 0);
        if (size.cx <= kTextRight - kTextLeft) {
            break;
        }
    }
    return pixelSize;
}

// Text with its baseline's left end at (x, y).
auto Text(std::wstring text, int pixelSize, bool italic, int spacing, double x, double y) {
    return [text = std::move(text), pixelSize, italic, spacing, x, y](HDC dc) {
        // The font is made at 16 times the size, so that the scaled frame draws it at its size.
        XFORM finer{1.0F / 16, 0, 0, 1.0F / 16, 0, 0};
        ModifyWorldTransform(dc, &finer, MWT_LEFTMULTIPLY);
        const GdiObject<HFONT> font = LetteringFont(pixelSize * 16, italic);
        const Selection use(dc, font.get());
        SetTextAlign(dc, TA_BASELINE | TA_LEFT);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, TRANSPARENT);
        SetTextCharacterExtra(dc, spacing * 16);
        TextOutW(dc, At(x, 16), At(y, 16), text.c_str(), static_cast<int>(text.size()));
        SetTextCharacterExtra(dc, 0);
    };
}

void PaintLettering(BannerPainter& painter) {
    const std::wstring name = L"VARNEL";
    constexpr int kNameSpacing = 6;
    const int nameSize = FittingSize(31, name, false, kNameSpacing);
    painter.PaintShapes(Text(name, nameSize, false, kNameSpacing, kTextLeft + 1.5, 35.5), kBlack,
                        120.0 / 255);  // drop shadow
    painter.PaintShapes(Text(name, nameSize, false, kNameSpacing, kTextLeft, 34), kWhite);

    // A rule under the name, fading out to the right.
    painter.PaintEverywhere([](double x, double y) {
        const bool inside = x >= kTextLeft && x < kTextRight && y >= 40 && y < 42;
        return Painted{kAccent, inside ? 1.0 - (x - kTextLeft) / (kTextRight - kTextLeft) : 0.0};
    });

    const std::wstring product = L"ZRM-410 Flash Upload";
    painter.PaintShapes(Text(product, FittingSize(16, product, true, 0), true, 0, kTextLeft, 59), kSubtitle);
}

// Averages each block of kOversampling x kOversampling pixels into one pixel of a 24-bit bitmap.
OwnedBitmap Reduce(const Canvas& large, int width, int height) {
    const BITMAPINFO info = TopDownBitmapInfo(width, height, 24);
    void* bits = nullptr;
    OwnedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) {
        return bitmap;
    }
    const int stride = (width * 3 + 3) & ~3;
    auto* rows = static_cast<std::uint8_t*>(bits);
    constexpr int kBlock = kOversampling * kOversampling;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            int red = 0;
            int green = 0;
            int blue = 0;
            for (int dy = 0; dy < kOversampling; ++dy) {
                const std::uint32_t* source =
                    large.pixels() + static_cast<std::size_t>(row * kOversampling + dy) * large.width() +
                    static_cast<std::size_t>(column) * kOversampling;
                for (int dx = 0; dx < kOversampling; ++dx) {
                    red += static_cast<int>((source[dx] >> 16) & 0xff);
                    green += static_cast<int>((source[dx] >> 8) & 0xff);
                    blue += static_cast<int>(source[dx] & 0xff);
                }
            }
            std::uint8_t* target =
                rows + static_cast<std::size_t>(row) * stride + static_cast<std::size_t>(column) * 3;
            target[0] = static_cast<std::uint8_t>((blue + kBlock / 2) / kBlock);
            target[1] = static_cast<std::uint8_t>((green + kBlock / 2) / kBlock);
            target[2] = static_cast<std::uint8_t>((red + kBlock / 2) / kBlock);
        }
    }
    GdiFlush();
    return bitmap;
}

}  // namespace

OwnedBitmap PaintBanner(const DpiScale& scale) {
    const int width = scale(kBannerWidth);
    const int height = scale(kBannerHeight);
    BannerPainter painter(static_cast<double>(scale.dpi()) / kDesignDpi * kOversampling,
                          width * kOversampling, height * kOversampling);
    if (!painter.valid()) {
        return {};
    }
    PaintField(painter);
    PaintDish(painter);
    PaintSignal(painter);
    PaintLettering(painter);
    return Reduce(painter.picture(), width, height);
}

}  // namespace flash410::win32_window
