// Faces of owner-drawn push buttons (see buttons.h).
#include "skin/controls/buttons.h"

#include "plus/plus_brush.h"
#include "plus/plus_font.h"
#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "plus/plus_path.h"
#include "plus/plus_pen.h"
#include "plus/plus_string_format.h"
#include "skin/controls/framework.h"
#include "skin/core/capture.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/paint_phases.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"

#include <cmath>

namespace skin {

using namespace plus;

namespace {

constexpr COLORREF kGrey = 0x00808080;
constexpr COLORREF kSilver = 0x00C0C0C0;

ARGB Argb(COLORREF colour, int alpha) {
    return ToArgb(colour, alpha, 1);
}

PlusPath RoundedRect(float x, float y, float w, float h, float d) {
    PlusPath path;
    path.CreatePath();
    AddRoundedRect(path, x, y, w, h, d);
    return path;
}

void FillGradient(PlusGraphics& g, PlusPath& path, PointF from, PointF to, ARGB a, ARGB b) {
    PlusLinearBrush brush;
    brush.Create(from, to, a, b);
    g.FillPath(brush, path);
}

void Outline(PlusGraphics& g, PlusPath& path, ARGB colour, float width) {
    PlusPen pen;
    pen.CreatePen(colour, width);
    g.DrawPath(pen, path);
}

void FillSolid(PlusGraphics& g, PlusPath& path, ARGB colour) {
    PlusSolidBrush brush;
    brush.Create(colour);
    g.FillPath(brush, path);
}

// The record the faces read; an unknown button gets a blank one so the face still paints.
const ButtonRecord& RecordOrBlank(HWND button) {
    static const ButtonRecord blank{};
    const ButtonRecord* record = ButtonRecordOf(button);
    return record ? *record : blank;
}

// A listed button keeps the faces it shows in turn (normal, hot, focused, pressed): each is
// drawn from its look (everything below, the caller's pictures by their bytes) and the
// background under it. Puts the kept face for this look on `dc` and returns true, or notes the
// look for KeepFace.
bool PutKeptFace(HWND button, const ButtonRecord& record, UINT state, const RECT& rect,
                 const CapturedBackground& background, HDC dc) {
    ButtonRecord* listed = ButtonRecordOf(button);
    if (!listed) return false;
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    RECT client{};
    GetClientRect(button, &client);
    Look look;
    look << record.Kind << rect.left << rect.top << w << h << client.right << client.bottom << state
         << IsDefaultPushButton(button) << record.Caption << record.FontFamily << record.FontSize
         << record.FontStyle << record.FontDpi << record.Layout << TextColourOf(button)
         << Engine.AccentColour << ControlDpi(button);
    for (const ByteSet& image : record.Images)
        look << std::string(image.begin(), image.end());
    if (!PutKeptPicture(listed->Kept, look, background.dc(), w, h)) return false;
    BitBlt(dc, 0, 0, w, h, background.dc(), 0, 0, SRCCOPY);
    return true;
}

// Keeps the face just drawn over `background`, for the look PutKeptFace noted.
void KeepFace(HWND button, const CapturedBackground& background) {
    if (ButtonRecord* listed = ButtonRecordOf(button))
        KeepPicture(listed->Kept, background.dc(), background.width(), background.height());
}

} // namespace

void AddRoundedTop(PlusPath& path, float x, float y, float w, float h, float d) {
    path.AddLine(x, y + h, x, y + d);
    path.AddArc(x, y, d, d, 180.0f, 90.0f);
    path.AddLine(x + d, y, x + w - d, y);
    path.AddArc(x + w - d, y, d, d, 270.0f, 90.0f);
    path.AddLine(x + w, y + d, x + w, y + h);
}

void PaintStandardButtonFace(HWND button, HDC dc, UINT state, const RECT& rect) {
    const ButtonRecord& record = RecordOrBlank(button);
    const float x = static_cast<float>(rect.left), y = static_cast<float>(rect.top);
    const int wi = rect.right - rect.left, hi = rect.bottom - rect.top;
    const float w = static_cast<float>(wi), h = static_cast<float>(hi);
    const COLORREF accent = Engine.AccentColour;
    const UINT dpi = ControlDpi(button);
    const auto px = [dpi](int size) { return static_cast<float>(ScaleToDpi(size, dpi)); };
    const float radius = px(5);

    CapturedBackground background(button, rect);
    if (PutKeptFace(button, record, state, rect, background, dc)) return;
    {
        const PhaseClock clock(PaintPhase::Shapes);
        PlusGraphics g;
        g.CreateFromHDC(background.dc());

        PlusPath plate = RoundedRect(x, y, w - 1, h - 1, radius);
        FillSolid(g, plate, Argb(kWhite, 120));

        if (state & kStateDisabled) {
            PlusSolidBrush silver;
            silver.Create(Argb(kSilver, 255));
            g.FillRectangle(silver, x, y, w, h);
            PlusPath shade = RoundedRect(x, y, w - 1, h - 1, radius);
            PlusLinearBrush brush;
            brush.Create(PointF{x, y}, PointF{x, y + h}, Argb(kWhite, 50), Argb(kWhite, 50));
            std::vector<ARGB> colours{Argb(kWhite, 50), Argb(kBlack, 10), Argb(kWhite, 50)};
            std::vector<float> positions{0.0f, 0.6f, 1.0f};
            brush.SetPresetBlend(colours, positions);
            g.FillPath(brush, shade);
            PlusPath edge = RoundedRect(x, y, w - 1, h - 1, radius);
            Outline(g, edge, Argb(kBlack, 80), px(1));
        } else {
            PlusPath body = RoundedRect(x, y, w - 1, h - 1, radius);
            FillGradient(g, body, {x, y}, {x, y + h - 1}, Argb(kWhite, 0), Argb(kGrey, 60));

            PlusPath gloss;
            gloss.CreatePath();
            AddRoundedTop(gloss, x, y, w - 1, h * 0.5f, radius);
            FillGradient(g, gloss, {x, y}, {x, y + h * 0.5f}, Argb(kWhite, 50), Argb(kWhite, 10));

            const bool isDefault = IsDefaultPushButton(button);
            if (state & kStateHot) {
                FillGradient(g, body, {x, y}, {x, y + h - 1}, Argb(accent, 60), Argb(accent, 10));
                Outline(g, body, Argb(accent, 255), px(1));
            } else if (state & kStateFocus) {
                DrawGlow(g, body, 3, kGlowColour, 120, px(3) / 3);
                Outline(g, body, Argb(kBlack, 70), px(1));
            } else {
                Outline(g, body, isDefault ? Argb(accent, 255) : Argb(kBlack, 120), px(1));
            }
            if (isDefault) {
                // The default button: an accent ring inside its outline in every state, so
                // Enter's target shows while the pointer and the focus are elsewhere.
                PlusPath ring = RoundedRect(x + px(1), y + px(1), w - 1 - 2 * px(1),
                                            h - 1 - 2 * px(1), radius - px(1));
                Outline(g, ring, Argb(accent, 220), px(1));
            }

            if (state & kStateSelected) {
                const float in = px(2);
                PlusPath inset = RoundedRect(x + in, y + in, w - px(3), h - px(3), radius);
                FillGradient(g, inset, {in, in}, {in, h - in}, Argb(accent, 60), Argb(kWhite, 100));
            }
        }

        PlusSolidBrush ink;
        ink.Create(Argb(TextColourOf(button), 255));
        const PlusFont& font = ButtonCaptionFont(record, dpi);
        PlusStringFormat format;
        format.Create();
        format.SetAlign(1);
        format.SetLineAlign(1);
        g.DrawString(record.Caption, font, ink, RectF{0, px(2), w, h}, &format);
    }
    KeepFace(button, background);
    BitBlt(dc, 0, 0, wi, hi, background.dc(), 0, 0, SRCCOPY);
}

void PaintStateImageFace(HWND button, HDC dc, UINT state, const RECT& rect) {
    const ButtonRecord& record = RecordOrBlank(button);
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    const COLORREF accent = Engine.AccentColour;

    CapturedBackground background(button, rect);
    if (PutKeptFace(button, record, state, rect, background, dc)) return;
    {
        const PhaseClock clock(PaintPhase::Shapes);
        PlusGraphics g;
        g.CreateFromHDC(background.dc());
        // The pictures are the caller's, made for 96 dpi: at another DPI they are scaled with
        // high-quality filtering, as are the plates around them.
        const UINT dpi = ControlDpi(button);
        const auto px = [dpi](int size) { return static_cast<float>(ScaleToDpi(size, dpi)); };
        if (dpi != kDesignDpi) g.SetInterpolationMode(7); // InterpolationModeHighQualityBicubic
        PlusImage normal;
        normal.LoadFromStream(record.Images[kImageNormal]);
        const float iw = px(static_cast<int>(normal.GetWidth()));
        const float ih = px(static_cast<int>(normal.GetHeight()));
        const float inset = px(2);

        auto drawGiven = [&](const ByteSet& bytes) {
            PlusImage image;
            image.LoadFromStream(bytes);
            g.DrawImageRect(image, inset, inset, px(static_cast<int>(image.GetWidth())),
                            px(static_cast<int>(image.GetHeight())));
        };
        auto drawPlate = [&](ARGB top, ARGB bottom) {
            PlusPath plate = RoundedRect(0, 0, iw + px(3), ih + px(3), px(3));
            Outline(g, plate, Argb(accent, 250), 1);
            FillGradient(g, plate, {0, 0}, {0, ih + px(3)}, top, bottom);
            g.DrawImageRect(normal, inset, inset, iw, ih);
        };

        if (state & kStateDisabled) {
            if (!record.Images[kImageDisabled].empty()) {
                drawGiven(record.Images[kImageDisabled]);
            } else {
                PlusPath plate = RoundedRect(0, 0, iw + px(2), ih + px(2), px(5));
                Outline(g, plate, Argb(kBlack, 80), 1);
                FillGradient(g, plate, {0, 0}, {0, ih + px(2)}, Argb(kWhite, 60),
                             Argb(kBlack, 100));
                g.DrawImageRect(normal, inset, inset, iw, ih);
            }
        } else if (state & kStateSelected) {
            // Pressed before hot: a button pressed with the mouse is always under it too.
            if (!record.Images[kImagePressed].empty())
                drawGiven(record.Images[kImagePressed]);
            else
                drawPlate(Argb(kBlack, 60), Argb(kWhite, 100));
        } else if (state & kStateHot) {
            if (!record.Images[kImageHot].empty())
                drawGiven(record.Images[kImageHot]);
            else
                drawPlate(Argb(kWhite, 120), Argb(accent, 100));
        } else {
            g.DrawImageRect(normal, inset, inset, iw, ih);
        }
    }
    KeepFace(button, background);
    BitBlt(dc, 0, 0, w, h, background.dc(), 0, 0, SRCCOPY);
}

void PaintSingleImageFace(HWND button, HDC dc, UINT state, const RECT& rect) {
    const ButtonRecord& record = RecordOrBlank(button);
    const int xi = rect.left, yi = rect.top;
    const int wi = rect.right - rect.left, hi = rect.bottom - rect.top;
    const float x = static_cast<float>(xi), y = static_cast<float>(yi);
    const float w = static_cast<float>(wi), h = static_cast<float>(hi);
    RECT client{};
    GetClientRect(button, &client);
    const float cw = static_cast<float>(client.right), ch = static_cast<float>(client.bottom);
    const ByteSet& picture = record.Images[kImageNormal];
    // The plates, rings and gaps are 96-dpi sizes; the picture's own size follows the button's.
    const UINT dpi = ControlDpi(button);
    const auto px = [dpi](int size) { return static_cast<float>(ScaleToDpi(size, dpi)); };
    const float one = px(1), two = px(2);

    CapturedBackground background(button, rect);
    if (PutKeptFace(button, record, state, rect, background, dc)) return;
    {
        const PhaseClock clock(PaintPhase::Shapes);
        PlusGraphics g;
        g.CreateFromHDC(background.dc());
        // A picture drawn at another size than its own is filtered, not stretched.
        if (dpi != kDesignDpi) g.SetInterpolationMode(7); // HighQualityBicubic

        const bool disabled = (state & kStateDisabled) != 0;
        if (disabled) {
            PlusPath plate = RoundedRect(x + two, y + two, w - px(6), h - px(6), px(5));
            FillGradient(g, plate, {one, one}, {one, h}, Argb(kGrey, 50), Argb(kWhite, 0));
        } else if (state & kStateHot) {
            PlusPath plate = RoundedRect(x + two, y + one, w - px(5), h - px(4), two);
            FillGradient(g, plate, {x + one, y + one}, {x + one, y + one + h - px(5)},
                         Argb(kWhite, 50), Argb(kWhite, 40));
            PlusPath line;
            line.CreatePath();
            line.AddLine(x + one, h - px(4), w - one, h - px(4));
            PlusLinearBrush shine;
            shine.Create(PointF{x + one, y + one}, PointF{w - one, y + one}, Argb(kWhite, 10),
                         Argb(kWhite, 255));
            shine.SetLinearBlend(0.5f, 0.8f);
            PlusPen pen;
            pen.CreatePenFromBrush(shine, two);
            g.DrawPath(pen, line);
        }
        if (!disabled && (state & (kStateFocus | kStateHot))) {
            PlusPath inner = RoundedRect(x + two, y + two, w - px(5), h - px(5), two);
            FillGradient(g, inner, {two, px(3)}, {two, h}, Argb(kWhite, 60), Argb(kWhite, 50));
            PlusPath outer = RoundedRect(x, y, w - two, h - two, px(5));
            Outline(g, outer, Argb(kBlack, 60), one);
            PlusPath light = RoundedRect(x + one, y + one, w - px(4), h - px(4), px(5));
            Outline(g, light, Argb(kWhite, 120), one);
        }

        PlusSolidBrush ink;
        ink.Create(Argb(TextColourOf(button), 255));
        const PlusFont& font = ButtonCaptionFont(record, dpi);
        PlusStringFormat format;
        format.Create();
        format.SetAlign(1);

        if (record.Layout == 0) {
            const float fontPixels = static_cast<float>(ButtonFontPixels(record, dpi));
            const float s = std::floor((h - fontPixels - two) * 0.8f);
            PlusImage image;
            image.LoadFromStream(picture);
            g.DrawImageRect(image, (w - s) / 2, h * 0.05f, s, s);
            format.SetTrimming(3);
            g.DrawString(record.Caption, font, ink, RectF{0, s + h * 0.05f + two, w, h - s},
                         &format);
        } else if (picture.empty()) {
            format.SetLineAlign(1);
            g.DrawString(record.Caption, font, ink, RectF{0, 0, w, h}, &format);
        } else {
            format.SetAlign(0);
            format.SetLineAlign(1);
            const float s = std::floor(ch * 0.8f);
            PlusImage image;
            image.LoadFromStream(picture);
            if (record.Caption.empty())
                g.DrawImageRect(image, (w - s) / 2, (h - s) / 2, s, s);
            else
                g.DrawImageRect(image, px(3), (h - s) / 2, s, s);
            g.DrawString(record.Caption, font, ink, RectF{s + px(5), two, cw - s - px(7), ch},
                         &format);
        }
    }
    KeepFace(button, background);
    BitBlt(dc, 0, 0, wi, hi, background.dc(), 0, 0, SRCCOPY);
}

} // namespace skin
