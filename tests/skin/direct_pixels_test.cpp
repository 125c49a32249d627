// The painters write some shapes straight into the back buffer's pixels instead of asking GDI+.
// Each such shortcut is checked against GDI+ itself: the same painter run once on a canvas
// (direct pixels) and once on a plain GDI+ graphics over the same pixels (GDI+ alone) must give
// the same picture, exactly where GDI+ is exact and within 2 per channel for gradients.
#include "compose_fixture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <utility>

#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "skin/core/gdi_owners.h"
#include "skin/services/back_buffer.h"
#include "skin/services/direct_pixels.h"
#include "support/windows.h"

using compose_test::ComposedWindow;
using compose_test::CompositionTest;
using compose_test::WindowOptions;

namespace {

constexpr int kPixelFormat32bppArgb = 0x0026200A;

using Painter = std::function<void(plus::PlusGraphics&)>;
using Picture = std::vector<std::uint32_t>;

Picture Snapshot(const skin::PixelRows& pixels) {
    GdiFlush();
    Picture picture;
    for (int y = 0; y < pixels.height; ++y)
        picture.insert(picture.end(), pixels.Row(y), pixels.Row(y) + pixels.width);
    return picture;
}

// `paint` on a canvas of the window's back buffer: the painters' direct path.
Picture PaintDirect(skin::WindowRecord& record, const Painter& paint) {
    {
        skin::BackBufferCanvas canvas(record);
        EXPECT_TRUE(skin::DirectPixels(canvas.graphics())) << "the canvas has no direct pixels";
        paint(canvas.graphics());
    }
    return Snapshot(skin::PixelRowsOf(record.BackBufferDC.bitmap()));
}

// `paint` on a plain GDI+ graphics over the same pixels: GDI+ alone.
Picture PaintWithGdiPlus(skin::WindowRecord& record, const Painter& paint) {
    const skin::PixelRows pixels = skin::PixelRowsOf(record.BackBufferDC.bitmap());
    {
        plus::PlusBitmap bitmap;
        EXPECT_TRUE(bitmap.CreateFromScan0(pixels.width, pixels.height, pixels.stride,
                                           kPixelFormat32bppArgb, pixels.bits));
        plus::PlusGraphics graphics;
        EXPECT_TRUE(graphics.CreateFromImage(bitmap));
        EXPECT_FALSE(skin::DirectPixels(graphics));
        paint(graphics);
    }
    return Snapshot(pixels);
}

int ChannelDifference(std::uint32_t a, std::uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 32; shift += 8)
        most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                       static_cast<int>((b >> shift) & 0xFF)));
    return most;
}

// Empty when the two pictures agree within `tolerance` per channel in every pixel whose row
// lies in [tolerantFrom, tolerantTo) and exactly elsewhere; otherwise where they first differ.
// Pixels less than `edge` from the right or bottom side are not compared.
std::string Compare(const Picture& direct, const Picture& reference, int width,
                    int tolerantFrom = 0, int tolerantTo = 0, int tolerance = 2, int edge = 0) {
    if (direct.size() != reference.size()) return "sizes differ";
    const int height = static_cast<int>(direct.size()) / width;
    int count = 0;
    std::ostringstream first;
    for (std::size_t i = 0; i < direct.size(); ++i) {
        const int y = static_cast<int>(i) / width;
        if (static_cast<int>(i) % width >= width - edge || y >= height - edge) continue;
        const int allowed = y >= tolerantFrom && y < tolerantTo ? tolerance : 0;
        if (ChannelDifference(direct[i], reference[i]) <= allowed) continue;
        if (count++ == 0)
            first << std::hex << "at (" << std::dec << static_cast<int>(i) % width << ", " << y
                  << ") direct " << std::hex << direct[i] << " GDI+ " << reference[i];
    }
    if (count == 0) return "";
    return std::to_string(count) + " pixels differ, first " + first.str();
}

} // namespace

TEST_F(CompositionTest, DirectBackgroundMatchesGdiPlus) {
    skin::Engine.ThemeImage =
        compose_test::MakeBmp(64, 40, [](int x, int y) { return RGB(x * 4, 80 + y, 160); });
    struct Case {
        int width, height, caption;
        bool gloss;
        int mode; // -1: no image
    };
    const Case cases[] = {{376, 364, 110, true, -1},
                          {300, 200, 30, false, -1},
                          {101, 57, 20, true, skin::kImageTiled},
                          {250, 120, 40, true, skin::kImageCentred},
                          {7, 5, 3, true, -1},
                          {640, 96, 96, true, skin::kImageStretched},
                          {376, 364, 30, false, skin::kImageStretched},
                          {50, 33, 10, false, skin::kImageStretched}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        skin::Engine.ThemeImageMode = c.mode < 0 ? 99 : c.mode;
        ComposedWindow w({.width = c.width,
                          .height = c.height,
                          .captionHeight = c.caption,
                          .captionGloss = c.gloss});
        skin::TheSkin->RebuildBackground(w.position());
        const Painter background = [&](plus::PlusGraphics& g) {
            skin::TheSkin->PaintBackground(w.position(), g);
        };
        const Picture reference = PaintWithGdiPlus(w.record(), background);
        const Picture direct = PaintDirect(w.record(), background);
        if (c.mode != skin::kImageStretched) {
            EXPECT_EQ(Compare(direct, reference, c.width, 0, c.gloss ? c.caption : 0), "");
            continue;
        }
        // A stretched picture is resampled by the skin itself, within 3 of GDI+ per channel
        // (the two round differently).
        // GDI+ fades the last stretched pixels into the fill (it samples beyond the picture);
        // the skin's picture reaches the sides: its last column is the image's last (red
        // 63 * 4), its last row the image's last (green 80 + 39).
        const int edge = (std::max(c.width / 64, c.height / 40) + 2);
        EXPECT_EQ(Compare(direct, reference, c.width, 0, c.height, 3, edge), "");
        const int right = c.width - 1;
        const int bottom = c.height - 1;
        const std::uint32_t side = direct[static_cast<std::size_t>(c.height / 2 * c.width + right)];
        const std::uint32_t foot = direct[static_cast<std::size_t>(bottom * c.width + c.width / 2)];
        if (!c.gloss) {
            EXPECT_NEAR(static_cast<int>((side >> 16) & 0xFF), 252, 2) << std::hex << side;
            EXPECT_NEAR(static_cast<int>((foot >> 8) & 0xFF), 119, 2) << std::hex << foot;
        }
    }
}

TEST_F(CompositionTest, DirectBorderMatchesGdiPlusExactly) {
    // The border stroked in pieces must set exactly the pixels the whole outline does, at
    // every size (small ones are left to GDI+).
    const std::pair<int, int> sizes[] = {{376, 364}, {300, 200}, {101, 57}, {1280, 800},
                                         {61, 53},   {250, 49},  {40, 30}};
    // The corner pieces are kept: a second pass over the sizes makes none, and lays the kept
    // ones as exactly.
    std::size_t keptAfterFirstPass = 0;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) keptAfterFirstPass = skin::KeptCornerLayerCount();
        for (const auto& [width, height] : sizes) {
            SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
            ComposedWindow w({.width = width, .height = height, .captionGloss = true});
            skin::TheSkin->RebuildBackground(w.position());
            const skin::PixelRows pixels = skin::PixelRowsOf(w.record().BackBufferDC.bitmap());
            const Picture clean = Snapshot(pixels);
            const Painter border = [&](plus::PlusGraphics& g) {
                skin::TheSkin->PaintBorder(w.position(), g);
            };
            const Picture reference = PaintWithGdiPlus(w.record(), border);
            for (int y = 0; y < pixels.height; ++y)
                std::copy_n(clean.begin() + y * pixels.width, pixels.width, pixels.Row(y));
            const Picture direct = PaintDirect(w.record(), border);
            EXPECT_EQ(Compare(direct, reference, width), "");
            EXPECT_NE(direct, clean);
        }
    }
    EXPECT_GE(keptAfterFirstPass, 8u);
    EXPECT_EQ(skin::KeptCornerLayerCount(), keptAfterFirstPass);
}

TEST_F(CompositionTest, DirectGradientsMatchGdiPlusLinearGradients) {
    // Rows of a vertical gradient laid over a varied background, some of it not opaque.
    ComposedWindow w({.width = 120, .height = 130, .hasCaption = false});
    skin::TheSkin->RebuildBackground(w.position());
    const skin::PixelRows pixels = skin::PixelRowsOf(w.record().BackBufferDC.bitmap());
    ASSERT_TRUE(pixels);
    const auto background = [&] {
        for (int y = 0; y < pixels.height; ++y)
            for (int x = 0; x < pixels.width; ++x)
                pixels.Row(y)[x] = (x < 100 ? 0xFF000000u : 0x80000000u) |
                                   static_cast<std::uint32_t>(x * 2) << 16 |
                                   static_cast<std::uint32_t>(y) << 8 | 0x40;
    };
    struct Gradient {
        float top, bottom;
        plus::ARGB from, to;
        RECT area;
    };
    const Gradient gradients[] = {
        {0, 110, 0x96FFFFFF, 0x00FFFFFF, {0, 0, 120, 110}}, // the caption gloss
        {7, 27, 0x3CFFFFFF, 0x0AFFFFFF, {3, 7, 117, 27}},   // a pane's shine
        {40, 57, 0x32FFFFFF, 0x00000000, {30, 40, 57, 57}}, // a button's gloss
        {20, 120, 0x00000000, 0xFF102030, {0, 20, 120, 120}},
        {5, 125, 0xFF0000FF, 0x2000FF00, {10, 5, 110, 125}},
    };
    for (const Gradient& g : gradients) {
        background();
        const Picture reference = PaintWithGdiPlus(w.record(), [&](plus::PlusGraphics& graphics) {
            plus::PlusLinearBrush brush;
            brush.Create(plus::PointF{0, g.top}, plus::PointF{0, g.bottom}, g.from, g.to);
            graphics.FillRectangleI(brush, g.area.left, g.area.top, g.area.right - g.area.left,
                                    g.area.bottom - g.area.top);
        });
        background();
        skin::BlendVerticalGradient(pixels, g.area, g.top, g.bottom, g.from, g.to);
        EXPECT_EQ(Compare(Snapshot(pixels), reference, pixels.width, 0, pixels.height), "")
            << std::hex << g.from << " to " << g.to;
    }
}

TEST_F(CompositionTest, DirectFillsTouchOnlyTheirSpans) {
    ComposedWindow w({.width = 40, .height = 30, .hasCaption = false});
    skin::TheSkin->RebuildBackground(w.position());
    const skin::PixelRows pixels = skin::PixelRowsOf(w.record().BackBufferDC.bitmap());
    ASSERT_TRUE(pixels);
    skin::FillSpans(pixels, {RECT{-5, -5, 45, 35}}, 0xFF000000);
    // Spans reaching past the pixels are cut; a transparent colour changes nothing.
    skin::FillSpans(pixels, {RECT{10, 5, 20, 8}, RECT{30, 25, 60, 40}}, 0xFF112233);
    skin::BlendSpans(pixels, {RECT{0, 0, 40, 30}}, 0x00FFFFFF);
    skin::BlendSpans(pixels, {RECT{0, 20, 5, 21}}, 0x80FFFFFF);
    EXPECT_EQ(pixels.Row(5)[10], 0xFF112233u);
    EXPECT_EQ(pixels.Row(7)[19], 0xFF112233u);
    EXPECT_EQ(pixels.Row(8)[10], 0xFF000000u);
    EXPECT_EQ(pixels.Row(5)[20], 0xFF000000u);
    EXPECT_EQ(pixels.Row(29)[39], 0xFF112233u);
    EXPECT_EQ(pixels.Row(20)[4], 0xFF808080u);
    EXPECT_EQ(pixels.Row(20)[5], 0xFF000000u);
    EXPECT_EQ(skin::BlendOver(0x00000000, 0x80FFFFFF), 0x80FFFFFFu);
    EXPECT_EQ(skin::BlendOver(0x12345678, 0xFF00FF00), 0xFF00FF00u);
}

namespace {

// A window as the main window's install builds it: glossy caption, title, three buttons, a
// status bar of two panes (the first with an icon), the theme image tiled.
WindowOptions FullWindow(int width, int height) {
    return {.width = width,
            .height = height,
            .captionHeight = 60,
            .captionGloss = true,
            .statusHeight = 20,
            .panes = {
                {.Width = 120,
                 .Text = "已使用次数：42 次",
                 .Icon = compose_test::MakeBmp(8, 8, [](int x, int) { return RGB(x * 30, 0, 0); })},
                {.Width = -1, .Text = "Oskimo"}}};
}

// What a rebuild draws, in its order, on `graphics`.
void PaintLikeARebuild(int position, plus::PlusGraphics& graphics) {
    skin::TheSkin->PaintBackground(position, graphics);
    skin::TheSkin->PaintBorder(position, graphics);
    skin::TheSkin->PaintTitle(position, &graphics);
    for (int i = 1; i <= 3; ++i)
        skin::TheSkin->PaintCaptionButton(position, i, &graphics);
    for (int i = 1; i <= 2; ++i)
        skin::TheSkin->PaintStatusPane(position, &graphics, i);
}

} // namespace

TEST_F(CompositionTest, DirectRebuildMatchesGdiPlus) {
    skin::Engine.AppIcon = CopyIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));
    skin::Engine.ThemeImage =
        compose_test::MakeBmp(64, 40, [](int x, int y) { return RGB(x * 4, 80 + y, 160); });
    for (const bool glow : {false, true}) {
        for (const int mode : {static_cast<int>(skin::kImageTiled), 99}) {
            SCOPED_TRACE(std::string(glow ? "glow" : "plain") + ", mode " + std::to_string(mode));
            skin::Engine.ThemeImageMode = mode;
            ComposedWindow w(FullWindow(376, 364));
            w.record().StatusGlow = glow ? 1 : 0;
            skin::TheSkin->RebuildBackground(w.position());
            const skin::PixelRows pixels = skin::PixelRowsOf(w.record().BackBufferDC.bitmap());
            const Picture direct = Snapshot(pixels);
            const Picture reference = PaintWithGdiPlus(
                w.record(), [&](plus::PlusGraphics& g) { PaintLikeARebuild(w.position(), g); });
            EXPECT_EQ(Compare(direct, reference, pixels.width, 0, pixels.height), "");
            EXPECT_EQ(direct[0], 0xFFFF00FFu); // the corners stay magenta
            EXPECT_EQ(direct[pixels.width - 1], 0xFFFF00FFu);
        }
    }
    DestroyIcon(std::exchange(skin::Engine.AppIcon, nullptr));
}

TEST_F(CompositionTest, PartialRepaintsMatchGdiPlusClippedToTheirArea) {
    skin::Engine.AppIcon = CopyIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));
    ComposedWindow w(FullWindow(300, 200));
    w.record().StatusGlow = 1;
    skin::TheSkin->RebuildBackground(w.position());
    const int p = w.position();
    const skin::PixelRows pixels = skin::PixelRowsOf(w.record().BackBufferDC.bitmap());
    const Picture clean = Snapshot(pixels);
    const auto reset = [&] {
        for (int y = 0; y < pixels.height; ++y)
            std::copy_n(clean.begin() + y * pixels.width, pixels.width, pixels.Row(y));
    };
    // Each repaint as its operation does it (a canvas over its area), then the same with GDI+
    // alone: restored from the strip and drawn under a clip of the same area.
    struct Repaint {
        const char* what;
        std::function<void()> direct;
        RECT area;
        std::function<void(plus::PlusGraphics&)> paint;
        bool caption;
    };
    const skin::PaneRect pane = w.record().StatusPaneRects[0];
    const RECT paneArea{pane.x, pane.y, pane.x + pane.width, pane.y + pane.height};
    const auto buttonArea = [&](int button) {
        // The strip a button owns, as PaintCaptionButton restores it.
        const plus::RectF r = w.record().CaptionButtons[static_cast<std::size_t>(button - 1)].Rect;
        const int left = static_cast<int>(std::lround(r.x)) - 2;
        const int top = w.record().ButtonsTop + 1;
        int right =
            static_cast<int>(std::lround(r.x)) - 1 + static_cast<int>(std::lround(r.width)) + 1;
        if (button < 3)
            right = static_cast<int>(std::lround(
                        w.record().CaptionButtons[static_cast<std::size_t>(button)].Rect.x)) -
                    2;
        return RECT{left, top, right, top + static_cast<int>(std::lround(r.height))};
    };
    const int frame = skin::TheSkin->FrameWidth;
    const RECT titleArea{frame + 6, frame + 2,
                         300 - w.record().CaptionButtonsWidth - 10 - 2 * frame + frame + 6,
                         frame + 5 + 32};
    const Repaint repaints[] = {
        {"pane", [&] { skin::TheSkin->SetStatusPane(w.hwnd(), 1, "已使用次数：43 次"); }, paneArea,
         [&](plus::PlusGraphics& g) { skin::TheSkin->PaintStatusPane(p, &g, 1); }, false},
        {"title",
         [&] {
             skin::TheSkin->PaintTitle(p, nullptr,
                                       std::string("A longer title than fits the space"));
         },
         titleArea,
         [&](plus::PlusGraphics& g) {
             skin::TheSkin->PaintTitle(p, &g, std::string("A longer title than fits the space"));
         },
         true},
        {"hover frame", [&] { skin::TheSkin->PaintCaptionButton(p, 2, nullptr, false, 150); },
         buttonArea(2),
         [&](plus::PlusGraphics& g) { skin::TheSkin->PaintCaptionButton(p, 2, &g, false, 150); },
         true},
        {"close highlight", [&] { skin::TheSkin->PaintCaptionButton(p, 3, nullptr, true); },
         buttonArea(3),
         [&](plus::PlusGraphics& g) { skin::TheSkin->PaintCaptionButton(p, 3, &g, true); }, true},
        {"first button", [&] { skin::TheSkin->PaintCaptionButton(p, 1, nullptr, false, 240); },
         buttonArea(1),
         [&](plus::PlusGraphics& g) { skin::TheSkin->PaintCaptionButton(p, 1, &g, false, 240); },
         true},
    };
    for (const Repaint& r : repaints) {
        SCOPED_TRACE(r.what);
        reset();
        r.direct();
        const Picture direct = Snapshot(pixels);
        EXPECT_NE(direct, clean);
        reset();
        const Picture reference = PaintWithGdiPlus(w.record(), [&](plus::PlusGraphics& g) {
            if (r.caption)
                skin::TheSkin->RestoreCaptionRect(p, r.area);
            else
                skin::TheSkin->RestoreStatusRect(p, r.area);
            skin::ClipTo(g, r.area);
            r.paint(g);
        });
        EXPECT_EQ(Compare(direct, reference, pixels.width, 0, pixels.height), "");
    }
    DestroyIcon(std::exchange(skin::Engine.AppIcon, nullptr));
}

TEST(StretchOver, APartGetsThePixelsTheWholeImageHasThereAndTheCornersArePictureCorners) {
    // A 3 x 2 picture over 12 x 8, drawn whole, and drawn into the part (5, 3)-(11, 8) alone.
    const std::vector<std::uint32_t> source{0xFF000000, 0xFF7F7F7F, 0xFFFFFFFF,
                                            0xFF0000FF, 0xFF00FF00, 0xFFFF0000};
    constexpr std::uint32_t kUntouched = 0xFF123456;
    std::vector<std::uint32_t> whole(12 * 8, kUntouched);
    std::vector<std::uint32_t> part(12 * 8, kUntouched);
    const auto rows = [](std::vector<std::uint32_t>& pixels) {
        return skin::PixelRows{reinterpret_cast<std::uint8_t*>(pixels.data()), 12, 8, 48, 0, 0};
    };
    const std::vector<RECT> everything{{0, 0, 12, 8}};
    skin::StretchOver(rows(whole), source.data(), 3, 2, 12, 8, everything);
    const RECT inside{5, 3, 11, 8};
    skin::StretchOver(rows(part).Part(inside), source.data(), 3, 2, 12, 8, everything);
    // Pixel centres at the corners fall outside the picture's outer centres: they repeat them.
    EXPECT_EQ(whole[0], source[0]);
    EXPECT_EQ(whole[11], source[2]);
    EXPECT_EQ(whole[7 * 12], source[3]);
    EXPECT_EQ(whole[7 * 12 + 11], source[5]);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * 12 + x);
            const bool in =
                x >= inside.left && x < inside.right && y >= inside.top && y < inside.bottom;
            EXPECT_EQ(part[i], in ? whole[i] : kUntouched) << x << ", " << y;
        }
}

// A picture whose lower row is half transparent, stretched from 2 x 2 to 4 x 4 over black:
// the rows from the opaque picture row alone are its colour; the rows that take in the half
// transparent one are laid over the black, not written as they are.
TEST(StretchOver, RowsWithTransparencyAreLaidOverWhatIsThere) {
    const std::vector<std::uint32_t> source{0xFF2040C0, 0xFF2040C0, 0x80FFFFFF, 0x80FFFFFF};
    std::vector<std::uint32_t> out(16, 0xFF000000);
    skin::StretchOver(skin::PixelRows{reinterpret_cast<std::uint8_t*>(out.data()), 4, 4, 16, 0, 0},
                      source.data(), 2, 2, 4, 4, {{0, 0, 4, 4}});
    const auto channels = [](std::uint32_t p) {
        return std::array<int, 4>{int(p >> 24), int(p >> 16 & 0xFF), int(p >> 8 & 0xFF),
                                  int(p & 0xFF)};
    };
    for (int x = 0; x < 4; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(out[static_cast<std::size_t>(x)], 0xFF2040C0u); // row 0: the top picture row
        // Row 3 repeats the bottom picture row: white at half over black.
        const auto bottom = channels(out[static_cast<std::size_t>(12 + x)]);
        EXPECT_EQ(bottom[0], 0xFF);
        for (int c = 1; c < 4; ++c)
            EXPECT_NEAR(bottom[c], 0x80, 2) << c;
        // Row 1 mixes a quarter of the bottom row in: opaque, between the two.
        const auto mixed = channels(out[static_cast<std::size_t>(4 + x)]);
        EXPECT_EQ(mixed[0], 0xFF);
        EXPECT_GT(mixed[1], 0x20);
        EXPECT_LT(mixed[1], 0x80);
    }
}

// Every pixel of a stretch is the two-tap mix across, then down, of the picture: checked at
// widths that leave pixels after the last group of four, against the sums done one by one; and a
// transparent pixel anywhere in a picture row makes that row laid over what is there.
TEST(StretchOver, EachPixelIsTheTwoTapMixAcrossThenDownAndTransparencyIsSeenAnywhere) {
    const int sw = 7, sh = 5;
    std::vector<std::uint32_t> source(sw * sh);
    for (int i = 0; i < sw * sh; ++i)
        source[static_cast<std::size_t>(i)] =
            0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u >> 8);
    const auto taps = [](int i, int count, int sourceCount) {
        const double scale = static_cast<double>(sourceCount) / count;
        const double at = std::clamp((i + 0.5) * scale - 0.5, 0.0, sourceCount - 1.0);
        const int first = static_cast<int>(at);
        return std::array<int, 3>{first, std::min(first + 1, sourceCount - 1),
                                  static_cast<int>((at - first) * 256 + 0.5)};
    };
    const auto mix = [](std::uint32_t a, std::uint32_t b, int w) {
        std::uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const int ca = static_cast<int>(a >> shift & 0xFF),
                      cb = static_cast<int>(b >> shift & 0xFF);
            out |= static_cast<std::uint32_t>((ca * (256 - w) + cb * w + 128) >> 8) << shift;
        }
        return out;
    };
    for (const SIZE size : {SIZE{23, 13}, SIZE{5, 9}, SIZE{30, 5}, SIZE{3, 3}}) {
        SCOPED_TRACE(testing::Message() << size.cx << " x " << size.cy);
        std::vector<std::uint32_t> out(static_cast<std::size_t>(size.cx * size.cy), 0);
        skin::StretchOver(skin::PixelRows{reinterpret_cast<std::uint8_t*>(out.data()), size.cx,
                                          size.cy, size.cx * 4, 0, 0},
                          source.data(), sw, sh, size.cx, size.cy, {{0, 0, size.cx, size.cy}});
        int wrong = 0;
        for (int y = 0; y < size.cy; ++y) {
            const auto r = taps(y, size.cy, sh);
            for (int x = 0; x < size.cx; ++x) {
                const auto c = taps(x, size.cx, sw);
                const auto at = [&](int row, int column) {
                    return source[static_cast<std::size_t>(row * sw + column)];
                };
                const std::uint32_t expected = mix(mix(at(r[0], c[0]), at(r[0], c[1]), c[2]),
                                                   mix(at(r[1], c[0]), at(r[1], c[1]), c[2]), r[2]);
                wrong += out[static_cast<std::size_t>(y * size.cx + x)] != expected;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    // An 8 x 1 picture at its own size over black: the half-transparent pixel (second of the
    // first four) is blended, not written as it is.
    // (The opaque pixels' lowest byte is 0xFF, so no other byte of a group can stand in for
    // the top byte of the transparent one.)
    std::vector<std::uint32_t> row(8, 0xFF2040FFu);
    row[1] = 0x80FFFFFFu;
    std::vector<std::uint32_t> over(8, 0xFF000000u);
    skin::StretchOver(skin::PixelRows{reinterpret_cast<std::uint8_t*>(over.data()), 8, 1, 32, 0, 0},
                      row.data(), 8, 1, 8, 1, {{0, 0, 8, 1}});
    EXPECT_EQ(over[0], 0xFF2040FFu);
    EXPECT_EQ(over[1] >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>(over[1] & 0xFF), 0x80, 2);
}

// Stretched over 8 x 6 and reaching 21 x 15: past the right edge the columns come back
// mirrored, then straight again (period 16), and the same down the rows (period 12); a part
// reaching past the edge gets the pixels the whole has there.
TEST(StretchOver, PastItsSizeThePictureRunsOnMirroredThenStraight) {
    std::vector<std::uint32_t> source(4 * 3);
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 0x151A1F);
    constexpr int kWidth = 21, kHeight = 15;
    constexpr std::uint32_t kUntouched = 0xFF123456;
    std::vector<std::uint32_t> whole(kWidth * kHeight, kUntouched);
    std::vector<std::uint32_t> part(kWidth * kHeight, kUntouched);
    const auto rows = [](std::vector<std::uint32_t>& pixels) {
        return skin::PixelRows{
            reinterpret_cast<std::uint8_t*>(pixels.data()), kWidth, kHeight, kWidth * 4, 0, 0};
    };
    const std::vector<RECT> everything{{0, 0, kWidth, kHeight}};
    skin::StretchOver(rows(whole), source.data(), 4, 3, 8, 6, everything, SIZE{kWidth, kHeight});
    const RECT strip{6, 2, 19, 14};
    skin::StretchOver(rows(part).Part(strip), source.data(), 4, 3, 8, 6, everything,
                      SIZE{kWidth, kHeight});
    const auto at = [&](int x, int y) { return whole[static_cast<std::size_t>(y * kWidth + x)]; };
    const auto laid = [](int i, int n) {
        const int turn = i % (2 * n);
        return turn < n ? turn : 2 * n - 1 - turn;
    };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            EXPECT_EQ(at(x, y), at(laid(x, 8), laid(y, 6))) << x << ", " << y;
            const bool in =
                x >= strip.left && x < strip.right && y >= strip.top && y < strip.bottom;
            EXPECT_EQ(part[static_cast<std::size_t>(y * kWidth + x)], in ? at(x, y) : kUntouched)
                << x << ", " << y;
        }
    // The mirror turns at the edge: the first column past it repeats the last one inside.
    EXPECT_NE(at(6, 0), at(7, 0));
    EXPECT_EQ(at(8, 0), at(7, 0));
    EXPECT_EQ(at(9, 0), at(6, 0));
    EXPECT_EQ(at(16, 0), at(0, 0));
    // Without a reach nothing past the size is touched.
    std::vector<std::uint32_t> bounded(kWidth * kHeight, kUntouched);
    skin::StretchOver(rows(bounded), source.data(), 4, 3, 8, 6, everything);
    EXPECT_EQ(bounded[8], kUntouched);
    EXPECT_EQ(bounded[static_cast<std::size_t>(6 * kWidth)], kUntouched);
    EXPECT_EQ(bounded[7], at(7, 0));
}

// A colour laid over a row equals BlendOver pixel by pixel, over opaque rows (four pixels at a
// time) and rows where a pixel that is not opaque falls among them, at the row's ends too.
TEST(BlendSpans, EachPixelIsWhatBlendOverGives) {
    for (const plus::ARGB colour : {0x01FFFFFFu, 0x7F2080C0u, 0x96FFFFFFu, 0xFE000000u}) {
        for (const int clear : {-1, 2, 9}) { // which pixel is not opaque (-1: none)
            std::vector<std::uint32_t> pixels(23);
            for (std::size_t i = 0; i < pixels.size(); ++i)
                pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 0x0B1D2F + 0x102030);
            if (clear >= 0) pixels[static_cast<std::size_t>(clear)] = 0x40336699u;
            std::vector<std::uint32_t> expected = pixels;
            for (std::size_t i = 1; i < 22; ++i)
                expected[i] = skin::BlendOver(pixels[i], colour);
            skin::BlendSpans(skin::PixelRows{reinterpret_cast<std::uint8_t*>(pixels.data()), 23, 1,
                                             23 * 4, 0, 0},
                             {RECT{1, 0, 22, 1}}, colour);
            EXPECT_EQ(pixels, expected) << std::hex << colour << " " << clear;
        }
    }
}
