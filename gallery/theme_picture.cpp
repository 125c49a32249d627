#include "gallery/theme_picture.h"

#include "plus/plus_image.h"

#include <algorithm>
#include <cmath>

namespace gallery {

namespace {

struct Colour {
    double r, g, b;
};

Colour Mix(const Colour& a, const Colour& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double SmoothStep(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Rows of the picture under the caption (a 40-pixel caption on a 640-pixel client, stretched).
constexpr int kCaptionRows = 16;
constexpr int kFadeRows = 14;

constexpr Colour kCaptionTop{30, 79, 143};
constexpr Colour kCaptionBottom{44, 109, 181};
// The body stays light: check boxes and labels draw black text straight on it.
constexpr Colour kBodyA{228, 236, 247};
constexpr Colour kBodyB{238, 230, 243};
constexpr Colour kBodyC{227, 241, 234};

struct Spot {
    double x, y, radius;
    Colour colour;
};
constexpr Spot kSpots[] = {
    {60, 200, 70, {201, 218, 242}},
    {300, 90, 90, {217, 205, 235}},
    {205, 232, 60, {203, 232, 218}},
    {150, 70, 40, {214, 228, 246}},
};

Colour BodyAt(int x, int y) {
    // Across the diagonal: blue, lavender, mint.
    const double t = (static_cast<double>(x) / kThemePictureWidth +
                      static_cast<double>(y) / kThemePictureHeight) /
                     2;
    Colour c = t < 0.5 ? Mix(kBodyA, kBodyB, t * 2) : Mix(kBodyB, kBodyC, t * 2 - 1);
    for (const Spot& spot : kSpots) {
        const double d = std::hypot(x - spot.x, y - spot.y) / spot.radius;
        c = Mix(c, spot.colour, 0.8 * (1 - SmoothStep(d)));
    }
    // Faint diagonal lines, so a wash over the picture shows structure and not just a tint.
    if ((x + y) % 14 == 0) c = Mix(c, {120, 140, 170}, 0.08);
    return c;
}

std::uint32_t Pack(const Colour& c) {
    auto channel = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L));
    };
    return 0xFF000000u | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

} // namespace

std::vector<std::uint32_t> ThemePicturePixels() {
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(kThemePictureWidth) * kThemePictureHeight);
    for (int y = 0; y < kThemePictureHeight; ++y) {
        const Colour caption =
            Mix(kCaptionTop, kCaptionBottom, static_cast<double>(y) / kCaptionRows);
        const double fade = SmoothStep(static_cast<double>(y - kCaptionRows) / kFadeRows);
        for (int x = 0; x < kThemePictureWidth; ++x)
            pixels.push_back(Pack(Mix(caption, BodyAt(x, y), fade)));
    }
    return pixels;
}

skin::ByteSet ThemePicturePng() {
    std::vector<std::uint32_t> pixels = ThemePicturePixels();
    plus::PlusBitmap bitmap;
    if (!bitmap.CreateFromScan0(kThemePictureWidth, kThemePictureHeight, kThemePictureWidth * 4,
                                plus::Format32bppARGB, reinterpret_cast<BYTE*>(pixels.data())))
        return {};
    return bitmap.SaveToBytes(plus::ImageFormatPNG);
}

} // namespace gallery
