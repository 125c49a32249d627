// Caption title and status bar.
//
// Both are painted on the window's back buffer. A repaint outside a rebuild restores its
// rectangle from the clean strip, draws, and copies only that rectangle to the screen, so a
// status-pane update costs a small fraction of a full rebuild.
#include "skin/services/title_status.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "plus/plus_image.h"
#include "plus/plus_brush.h"
#include "plus/plus_font.h"
#include "plus/plus_graphics.h"
#include "plus/plus_string_format.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/paint_phases.h"
#include "skin/core/skin_engine.h"
#include "skin/services/back_buffer.h"
#include "skin/services/direct_pixels.h"
#include "skin/core/glyph_text.h"
#include "skin/services/accessibility.h"
#include "skin/services/system_look.h"

namespace skin {

namespace {

constexpr int kFontStyleRegular = 0;
constexpr int kFontStyleBold = 1;
constexpr int kUnitWorld = 0;
constexpr int kAlignNear = 0;

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

// The halo text drawn once, in the ink colour, on a transparent layer: the ink is that layer
// laid over the pixels, and each halo copy its coverage in the halo colour, one pixel over.
// Four of the five text renderings (the costly part of a title) are saved; a layer kept from
// an earlier paint of the same text in the same style and box saves the fifth.
bool SameLayer(const TextLayer& kept, const std::string& text, const std::string& fontName,
               bool bold, float size, plus::ARGB ink, int alignment, int lineAlignment,
               const plus::RectF& layout) {
    return !kept.pixels.empty() && kept.text == text && kept.font == fontName &&
           kept.bold == bold && kept.size == size && kept.ink == ink &&
           kept.alignment == alignment && kept.lineAlignment == lineAlignment &&
           kept.layout[0] == layout.x && kept.layout[1] == layout.y &&
           kept.layout[3] == layout.height &&
           (kept.layout[2] == layout.width || (kept.fitsFrom > 0 && layout.width >= kept.fitsFrom));
}

// Renders the text on a new layer; false (the layer left empty) when it cannot be made.
bool RenderLayer(TextLayer& layer, const std::string& text, const plus::PlusFont& font,
                 const plus::PlusStringFormat& format, const plus::RectF& layout, plus::ARGB ink) {
    layer.pixels.clear();
    // Room around the layout rectangle for glyphs that overhang it.
    const int margin = 4;
    const int left = static_cast<int>(std::floor(layout.x)) - margin;
    const int top = static_cast<int>(std::floor(layout.y)) - margin;
    const int width = static_cast<int>(std::ceil(layout.x + layout.width)) + margin - left;
    const int height = static_cast<int>(std::ceil(layout.y + layout.height)) + margin - top;
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return false;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0);
    {
        plus::PlusBitmap bitmap;
        if (!bitmap.CreateFromScan0(width, height, width * 4, plus::Format32bppARGB,
                                    reinterpret_cast<BYTE*>(pixels.data())))
            return false;
        plus::PlusGraphics on;
        if (!on.CreateFromImage(bitmap)) return false;
        plus::PlusSolidBrush brush;
        brush.Create(ink);
        // Moved by whole pixels only, so the glyphs land on the same pixel grid.
        const plus::RectF box{layout.x - static_cast<float>(left),
                              layout.y - static_cast<float>(top), layout.width, layout.height};
        on.DrawString(text, font, brush, box, &format);
        // How wide a box the same layer serves: near-aligned text on one line whose own width
        // (measured without a limit) fits the box is placed the same in any box that holds it.
        layer.fitsFrom = 0;
        plus::RectF natural{};
        plus::RectF line{};
        if (format.GetAlign() == kAlignNear &&
            on.MeasureString(text, font, plus::RectF{box.x, box.y, 1e6f, box.height}, &format,
                             natural) &&
            on.MeasureString(text, font, box, &format, line) && natural.width <= layout.width &&
            natural.height == line.height) {
            // The ink's right edge, from the box's left edge (overhangs included).
            int inkRight = 0;
            for (int y = 0; y < height; ++y)
                for (int x = width - 1; x >= inkRight; --x)
                    if (pixels[static_cast<std::size_t>(y) * width + x] >> 24) {
                        inkRight = x + 1;
                        break;
                    }
            // Ink reaching the box's right edge may have been cut there: only this box will do.
            const float ink = static_cast<float>(inkRight) - box.x;
            if (ink < layout.width - 1) layer.fitsFrom = std::max({natural.width, ink, 1.0f});
        }
    }
    layer.left = left;
    layer.top = top;
    layer.width = width;
    layer.height = height;
    layer.pixels = std::move(pixels);
    return true;
}

void LayHaloLayer(const PixelRows& pixels, const TextLayer& layer, plus::ARGB halo, int offset) {
    const int moves[][2] = {{offset, 0}, {-offset, 0}, {0, offset}, {0, -offset}};
    for (const auto& move : moves)
        BlendLayer(pixels, layer.pixels, layer.width, layer.height, layer.left + move[0],
                   layer.top + move[1], halo);
    BlendLayer(pixels, layer.pixels, layer.width, layer.height, layer.left, layer.top);
}

// DrawHaloText, keeping the rendered layer in `kept` (when given) for the next paint.
void DrawHaloTextKept(TextLayer* kept, plus::PlusGraphics& graphics, const std::string& text,
                      const plus::RectF& layout, COLORREF textColour, COLORREF haloColour,
                      float offset, const std::string& fontName, bool bold, float size,
                      int alignment, int lineAlignment) {
    const PhaseClock clock(PaintPhase::TitleText);
    const float emSize = size > 0 ? size : 13;
    const plus::ARGB haloArgb = ToArgb(haloColour, 150, 1);
    const plus::ARGB inkArgb = ToArgb(textColour, 255, 1);
    const PixelRows pixels = DirectPixels(graphics);
    const bool direct = pixels && offset == std::floor(offset) && Unclipped(graphics);
    if (direct && kept &&
        SameLayer(*kept, text, fontName, bold, emSize, inkArgb, alignment, lineAlignment, layout))
        return LayHaloLayer(pixels, *kept, haloArgb, static_cast<int>(offset));

    plus::PlusFont font;
    plus::PlusStringFormat format;
    {
        const PhaseClock fontClock(PaintPhase::TitleFont);
        font.CreateFromFamilyName(fontName, emSize, bold ? kFontStyleBold : kFontStyleRegular,
                                  kUnitWorld);
        format.Create();
        format.SetAlign(alignment);
        format.SetLineAlign(lineAlignment);
    }

    if (direct) {
        TextLayer own;
        TextLayer& layer = kept ? *kept : own;
        if (RenderLayer(layer, text, font, format, layout, inkArgb)) {
            layer.text = text;
            layer.font = fontName;
            layer.bold = bold;
            layer.size = emSize;
            layer.ink = inkArgb;
            layer.alignment = alignment;
            layer.lineAlignment = lineAlignment;
            layer.layout[0] = layout.x;
            layer.layout[1] = layout.y;
            layer.layout[2] = layout.width;
            layer.layout[3] = layout.height;
            return LayHaloLayer(pixels, layer, haloArgb, static_cast<int>(offset));
        }
    }

    plus::PlusSolidBrush halo;
    halo.Create(haloArgb);
    const plus::RectF moved[] = {
        {layout.x + offset, layout.y, layout.width, layout.height},
        {layout.x - offset, layout.y, layout.width, layout.height},
        {layout.x, layout.y + offset, layout.width, layout.height},
        {layout.x, layout.y - offset, layout.width, layout.height},
    };
    for (const plus::RectF& rect : moved)
        graphics.DrawString(text, font, halo, rect, &format);

    plus::PlusSolidBrush ink;
    ink.Create(inkArgb);
    graphics.DrawString(text, font, ink, layout, &format);
}

} // namespace

void DrawHaloText(plus::PlusGraphics& graphics, const std::string& text, const plus::RectF& layout,
                  COLORREF textColour, COLORREF haloColour, float offset,
                  const std::string& fontName, bool bold, float size, int alignment,
                  int lineAlignment) {
    DrawHaloTextKept(nullptr, graphics, text, layout, textColour, haloColour, offset, fontName,
                     bold, size, alignment, lineAlignment);
}

void DrawGlowText(plus::PlusGraphics& graphics, const std::string& text, const plus::RectF& rect,
                  COLORREF textColour, COLORREF glowColour, int factor, const std::string& fontName,
                  float size, int style, int alignment, int lineAlignment) {
    const std::string& family = fontName.empty() ? std::string("宋体") : fontName;
    plus::PlusFont font;
    font.CreateFromFamilyName(family, size > 0 ? size : 12, style, plus::UnitPixel);
    plus::PlusStringFormat format;
    format.Create();
    format.SetAlign(alignment);
    format.SetLineAlign(lineAlignment);

    const int width = static_cast<int>(rect.width);
    const int height = static_cast<int>(rect.height);
    const float half = static_cast<float>(factor) / 2;
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);

    // The glow: the text drawn sharp, shrunk by `factor` and blown up again (a cheap blur),
    // then four faint offset copies on top.
    plus::PlusBitmap glow;
    bool haveGlow = factor > 0 && width / factor > 0 && height / factor > 0;
    if (haveGlow) {
        plus::PlusBitmap sharp;
        sharp.Create(width, height);
        {
            plus::PlusGraphics on;
            on.CreateFromImage(sharp);
            on.SetSmoothingMode(plus::SmoothingModeAntiAlias);
            on.SetCompositingQuality(3);
            on.SetInterpolationMode(7);
            on.SetPixelOffsetMode(3);
            plus::PlusSolidBrush brush;
            brush.Create(ToArgb(glowColour, 255, 1));
            on.DrawString(text, font, brush, plus::RectF{half, half, w + half, h + half}, &format);
        }
        plus::PlusBitmap small;
        small.Create(width / factor, height / factor);
        {
            plus::PlusGraphics on;
            on.CreateFromImage(small);
            on.SetInterpolationMode(7);
            on.SetCompositingQuality(2);
            on.SetPixelOffsetMode(3);
            on.DrawImageRect(sharp, 0, 0, static_cast<float>(width / factor),
                             static_cast<float>(height / factor));
        }
        haveGlow = glow.Create(width, height);
        if (haveGlow) {
            plus::PlusGraphics on;
            on.CreateFromImage(glow);
            on.SetCompositingQuality(3);
            on.SetInterpolationMode(7);
            on.SetSmoothingMode(plus::SmoothingModeAntiAlias);
            on.DrawImageRect(small, 0, 0, w, h);
            plus::PlusSolidBrush faint;
            faint.Create(ToArgb(glowColour, 60, 1));
            const float f = static_cast<float>(factor);
            const plus::RectF copies[] = {
                {half - 1, 0.7f * f, w, h},
                {half + 1, 0.7f * f, w, h},
                {half, 0.7f * f - 1, w, h},
                {half, 0.7f * f + 1, w, h},
            };
            for (const plus::RectF& at : copies)
                on.DrawString(text, font, faint, at, &format);
        }
    }

    graphics.SetSmoothingMode(plus::SmoothingModeAntiAlias);
    if (haveGlow)
        graphics.DrawImageRect(glow, rect.x - half, rect.y - 0.6f * static_cast<float>(factor), w,
                               h);
    plus::PlusSolidBrush ink;
    ink.Create(ToArgb(textColour, 255, 1));
    graphics.DrawString(text, font, ink, rect, &format);
}

bool SkinEngine::SetTitleStyle(HWND window, std::optional<std::string> fontName,
                               std::optional<int> fontSize, std::optional<COLORREF> textColour,
                               std::optional<COLORREF> haloColour, std::optional<int> bold) {
    const int position = SkinnedPosition(window);
    WindowRecord* record = RecordAt(position);
    if (!record) return false;
    if (fontName) record->TitleFontName = *fontName;
    if (fontSize) record->TitleFontSize = *fontSize;
    if (textColour) record->TitleTextColour = *textColour;
    if (haloColour) record->TitleHaloColour = *haloColour;
    if (bold) record->TitleBold = *bold;
    PaintTitle(position, nullptr, WindowText(window));
    return true;
}

void SkinEngine::PaintTitle(int position, plus::PlusGraphics* graphics,
                            std::optional<std::string> text) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    // Before the first rebuild there is nothing to paint on; the rebuild paints the title.
    if (!graphics && !record->BackBufferDC) return;
    RECT rc{};
    GetClientRect(record->Window, &rc);
    const int frame = Px(*record, FrameWidth);
    const int x = frame + Px(*record, 6);
    const int y = frame + Px(*record, 5);
    const int w =
        std::max(0, static_cast<int>(rc.right) - Px(*record, record->CaptionButtonsWidth) -
                        Px(*record, 10) - 2 * frame);
    const int iconTop = frame + Px(*record, 2);
    const int icon = Px(*record, 17);
    const int textLeft = x + Px(*record, 20);
    const int boxHeight = Px(*record, 32);
    // The repainted area starts at the icon's top (frame + 2), so the icon is restored before
    // it is drawn again and its soft edges never pile up.
    const RECT area{x, iconTop, x + w, y + boxHeight};

    std::optional<BackBufferCanvas> own;
    if (!graphics) {
        own.emplace(*record, area);
        graphics = &own->graphics();
        RestoreCaptionRect(position, area);
    }
    if (Engine.AppIcon) {
        const PhaseClock clock(PaintPhase::Icon);
        DrawIconEx(record->BackBufferDC.get(), x, iconTop, Engine.AppIcon, icon, icon, 0, nullptr,
                   DI_NORMAL);
        GdiFlush(); // the canvas shares these pixels
    }
    const std::string title = text ? *text : WindowText(record->Window);
    if (SystemLookOn())
        PaintSystemTitle(*record, *graphics, RECT{textLeft, y, textLeft + w, y + boxHeight}, title);
    else
        DrawHaloTextKept(&record->TitleLayer, *graphics, title,
                         plus::RectF{static_cast<float>(textLeft), static_cast<float>(y),
                                     static_cast<float>(w), static_cast<float>(boxHeight)},
                         record->TitleTextColour, record->TitleHaloColour, PxF(*record, 1),
                         record->TitleFontName, record->TitleBold != 0,
                         PxF(*record, record->TitleFontSize), kAlignNear, kAlignNear);
    if (own) {
        own.reset();
        ShowBackBufferRect(*record, area);
    }
}

void SkinEngine::CreateStatusBar(int position, int height, const std::vector<StatusPane>& panes) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    RECT rc{};
    GetClientRect(record->Window, &rc);
    const int frame = Px(*record, FrameWidth);
    record->StatusHeight = height;
    // The height and the pane widths given are 96-dpi sizes; the rectangles are pixels.
    height = Px(*record, height);
    const int top = rc.bottom - frame - height - 1;
    record->StatusRect = PaneRect{frame, top, rc.right - 2 * frame, height};
    record->StatusPanes.clear();
    record->StatusPaneRects.clear();
    if (panes.empty()) {
        record->StatusPaneRects.push_back(PaneRect{frame, top, rc.right - 2 * frame, height});
        record->StatusPanes.push_back(StatusPane{});
        return;
    }
    int x = frame;
    for (const StatusPane& definition : panes) {
        if (!record->StatusPaneRects.empty()) x += record->StatusPaneRects.back().width;
        const int width =
            definition.Width == -1 ? rc.right - frame - x : Px(*record, definition.Width);
        record->StatusPaneRects.push_back(PaneRect{x, top, width, height});
        record->StatusPanes.push_back(definition);
    }
}

void SkinEngine::LayoutStatusBar(int position) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    RECT rc{};
    GetClientRect(record->Window, &rc);
    const int frame = Px(*record, FrameWidth);
    const int height = Px(*record, record->StatusHeight);
    record->StatusRect.x = frame;
    record->StatusRect.y = rc.bottom - height - frame - 1;
    record->StatusRect.width = rc.right - 2 * frame;
    record->StatusRect.height = height;
    int used = 0;
    int x = frame;
    const std::size_t count = std::min(record->StatusPanes.size(), record->StatusPaneRects.size());
    for (std::size_t i = 0; i < count; ++i) {
        PaneRect& rect = record->StatusPaneRects[i];
        rect.y = record->StatusRect.y;
        rect.x = x;
        rect.height = height;
        const int given = record->StatusPanes[i].Width;
        rect.width = given == -1 ? rc.right - used - 2 * frame : Px(*record, given);
        used += rect.width;
        x += rect.width;
    }
}

void SkinEngine::PaintStatusPane(int position, plus::PlusGraphics* graphics, int pane) {
    WindowRecord* record = RecordAt(position);
    if (!record || pane < 1) return;
    const std::size_t index = static_cast<std::size_t>(pane - 1);
    if (index >= record->StatusPanes.size() || index >= record->StatusPaneRects.size()) return;
    if (!graphics && !record->BackBufferDC) return;
    const PhaseClock clock(PaintPhase::StatusPanes);
    const StatusPane& definition = record->StatusPanes[index];
    const PaneRect& r = record->StatusPaneRects[index];
    const RECT area{r.x, r.y, r.x + r.width, r.y + r.height};

    std::optional<BackBufferCanvas> own;
    if (!graphics) {
        own.emplace(*record, area);
        graphics = &own->graphics();
        RestoreStatusRect(position, area);
    }
    if (SystemLookOn()) {
        PaintSystemPane(*record, *graphics, pane);
        if (own) {
            own.reset();
            ShowBackBufferRect(*record, area);
        }
        return;
    }
    const float x = static_cast<float>(r.x);
    const float y = static_cast<float>(r.y);
    const float w = static_cast<float>(r.width);
    const float h = static_cast<float>(r.height);

    const plus::ARGB shineTop = ToArgb(0xFFFFFF, 60, 1);
    const plus::ARGB shineBottom = ToArgb(0xFFFFFF, 10, 1);
    const PixelRows pixels = DirectPixels(*graphics);
    if (pixels) {
        BlendVerticalGradient(pixels, area, y, y + h, shineTop, shineBottom);
    } else {
        plus::PlusLinearBrush shine;
        shine.Create(plus::PointF{x, y}, plus::PointF{x, y + h}, shineTop, shineBottom);
        graphics->FillRectangle(shine, x, y, w, h);
    }

    const COLORREF colour =
        record->StatusInverseText ? (~Engine.ThemeColour & 0x00FFFFFF) : definition.TextColour;
    const plus::ARGB ink = ToArgb(colour, 255, 1);
    // The text box stays inside the pane, so a long text is clipped at the pane's edge
    // instead of spilling into its neighbour.
    const float textTop = y + (h - PxF(*record, 12)) / 2;
    float textLeft = x + PxF(*record, 3);
    if (!definition.Icon.empty()) {
        plus::PlusImage icon;
        if (icon.LoadFromStream(definition.Icon)) {
            const float iw = static_cast<float>(icon.GetWidth());
            const float ih = static_cast<float>(icon.GetHeight());
            textLeft = x + iw + PxF(*record, 3);
            graphics->DrawImageRect(icon, x + PxF(*record, 2), y + (h - ih) / 2, iw, ih);
        }
    }
    const plus::RectF textRect{textLeft, textTop, std::max(0.0f, x + w - textLeft),
                               std::max(0.0f, y + h - textTop)};
    // A pane with no text yet (the usage line comes after the first paint) draws none, and its
    // font is made when the first text comes.
    if (!definition.Text.empty() && record->StatusGlow) {
        DrawGlowText(*graphics, definition.Text, textRect, record->StatusTextColour,
                     record->StatusGlowColour, 4, record->StatusFontName,
                     PxF(*record, record->StatusFontSize), kFontStyleRegular, kAlignNear,
                     kAlignNear);
    } else if (!definition.Text.empty()) {
        std::optional<PhaseClock> fontClock(std::in_place, PaintPhase::StatusFont);
        const plus::PlusFont& font =
            record->StatusFont.Get(record->StatusFontName, PxF(*record, record->StatusFontSize),
                                   kFontStyleRegular, plus::UnitPixel);
        fontClock.reset();
        if (!(pixels && Unclipped(*graphics) &&
              record->StatusGlyphs.Draw(pixels, *graphics, font, definition.Text, textRect, ink))) {
            plus::PlusSolidBrush brush;
            brush.Create(ink);
            plus::PlusStringFormat format;
            format.Create();
            format.SetAlign(kAlignNear);
            graphics->DrawString(definition.Text, font, brush, textRect, &format);
        }
    }

    if (own) {
        own.reset();
        ShowBackBufferRect(*record, area);
    }
}

bool SkinEngine::SetStatusPane(HWND window, int pane, const std::string& text,
                               std::optional<ByteSet> icon, std::optional<COLORREF> textColour) {
    const int position = FindWindowPosition(window);
    WindowRecord* record = RecordAt(position);
    if (!record || pane < 1 || static_cast<std::size_t>(pane) > record->StatusPanes.size())
        return false;
    StatusPane& target = record->StatusPanes[static_cast<std::size_t>(pane - 1)];
    const bool renamed = target.Text != text;
    target.Text = text;
    if (icon) target.Icon = std::move(*icon);
    if (textColour) target.TextColour = *textColour;
    PaintStatusPane(position, nullptr, pane);
    if (renamed) AnnounceStatusPaneName(window, pane);
    return true;
}

bool SkinEngine::SetStatusStyle(HWND window, std::optional<int> inverseText,
                                std::optional<int> glow, std::optional<COLORREF> textColour,
                                std::optional<COLORREF> glowColour,
                                std::optional<std::string> fontName, std::optional<int> fontSize) {
    WindowRecord* record = RecordAt(SkinnedPosition(window));
    if (!record) return false;
    record->StatusInverseText = inverseText.value_or(1);
    record->StatusGlow = glow.value_or(0);
    record->StatusTextColour = textColour.value_or(0);
    record->StatusGlowColour = glowColour.value_or(0x00FFFFFF);
    if (fontName) record->StatusFontName = *fontName;
    if (fontSize) record->StatusFontSize = *fontSize;
    return true;
}

} // namespace skin
