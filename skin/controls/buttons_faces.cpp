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

    CapturedBackground background(button, rect);
    {
        PlusGraphics g;
        g.CreateFromHDC(background.dc());

        PlusPath plate = RoundedRect(x, y, w - 1, h - 1, 5);
        FillSolid(g, plate, Argb(kWhite, 120));

        if (state & kStateDisabled) {
            PlusSolidBrush silver;
            silver.Create(Argb(kSilver, 255));
            g.FillRectangle(silver, x, y, w, h);
            PlusPath shade = RoundedRect(x, y, w - 1, h - 1, 5);
            PlusLinearBrush brush;
            brush.Create(PointF{x, y}, PointF{x, y + h}, Argb(kWhite, 50), Argb(kWhite, 50));
            std::vector<ARGB> colours{Argb(kWhite, 50), Argb(kBlack, 10), Argb(kWhite, 50)};
            std::vector<float> positions{0.0f, 0.6f, 1.0f};
            brush.SetPresetBlend(colours, positions);
            g.FillPath(brush, shade);
            PlusPath edge = RoundedRect(x, y, w - 1, h - 1, 5);
            Outline(g, edge, Argb(kBlack, 80), 1);
        } else {
            PlusPath body = RoundedRect(x, y, w - 1, h - 1, 5);
            FillGradient(g, body, {x, y}, {x, y + h - 1}, Argb(kWhite, 0), Argb(kGrey, 60));

            PlusPath gloss;
            gloss.CreatePath();
            AddRoundedTop(gloss, x, y, w - 1, h * 0.5f, 5);
            FillGradient(g, gloss, {x, y}, {x, y + h * 0.5f}, Argb(kWhite, 50), Argb(kWhite, 10));

            const bool isDefault = IsDefaultPushButton(button);
            if (state & kStateHot) {
                FillGradient(g, body, {x, y}, {x, y + h - 1}, Argb(accent, 60), Argb(accent, 10));
                Outline(g, body, Argb(accent, 255), 1);
            } else if (state & kStateFocus) {
                DrawGlow(g, body, 3, kGlowColour, 120);
                Outline(g, body, Argb(kBlack, 70), 1);
            } else {
                Outline(g, body, isDefault ? Argb(accent, 255) : Argb(kBlack, 120), 1);
            }
            if (isDefault) {
                // The default button: an accent ring inside its outline in every state, so
                // Enter's target shows while the pointer and the focus are elsewhere.
                PlusPath ring = RoundedRect(x + 1, y + 1, w - 3, h - 3, 4);
                Outline(g, ring, Argb(accent, 220), 1);
            }

            if (state & kStateSelected) {
                PlusPath inset = RoundedRect(x + 2, y + 2, w - 3, h - 3, 5);
                FillGradient(g, inset, {2, 2}, {2, h - 2}, Argb(accent, 60), Argb(kWhite, 100));
            }
        }

        PlusSolidBrush ink;
        ink.Create(Argb(TextColourOf(button), 255));
        const PlusFont& font = ButtonCaptionFont(record);
        PlusStringFormat format;
        format.Create();
        format.SetAlign(1);
        format.SetLineAlign(1);
        g.DrawString(record.Caption, font, ink, RectF{0, 2, w, h}, &format);
    }
    BitBlt(dc, 0, 0, wi, hi, background.dc(), 0, 0, SRCCOPY);
}

void PaintStateImageFace(HWND button, HDC dc, UINT state, const RECT& rect) {
    const ButtonRecord& record = RecordOrBlank(button);
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    const COLORREF accent = Engine.AccentColour;

    CapturedBackground background(button, rect);
    {
        PlusGraphics g;
        g.CreateFromHDC(background.dc());
        PlusImage normal;
        normal.LoadFromStream(record.Images[kImageNormal]);
        const float iw = static_cast<float>(normal.GetWidth());
        const float ih = static_cast<float>(normal.GetHeight());

        auto drawGiven = [&](const ByteSet& bytes) {
            PlusImage image;
            image.LoadFromStream(bytes);
            g.DrawImageRect(image, 2, 2, static_cast<float>(image.GetWidth()),
                            static_cast<float>(image.GetHeight()));
        };
        auto drawPlate = [&](ARGB top, ARGB bottom) {
            PlusPath plate = RoundedRect(0, 0, iw + 3, ih + 3, 3);
            Outline(g, plate, Argb(accent, 250), 1);
            FillGradient(g, plate, {0, 0}, {0, ih + 3}, top, bottom);
            g.DrawImageRect(normal, 2, 2, iw, ih);
        };

        if (state & kStateDisabled) {
            if (!record.Images[kImageDisabled].empty()) {
                drawGiven(record.Images[kImageDisabled]);
            } else {
                PlusPath plate = RoundedRect(0, 0, iw + 2, ih + 2, 5);
                Outline(g, plate, Argb(kBlack, 80), 1);
                FillGradient(g, plate, {0, 0}, {0, ih + 2}, Argb(kWhite, 60), Argb(kBlack, 100));
                g.DrawImageRect(normal, 2, 2, iw, ih);
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
            g.DrawImageRect(normal, 2, 2, iw, ih);
        }
    }
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

    CapturedBackground background(button, rect);
    {
        PlusGraphics g;
        g.CreateFromHDC(background.dc());

        const bool disabled = (state & kStateDisabled) != 0;
        if (disabled) {
            PlusPath plate = RoundedRect(x + 2, y + 2, w - 6, h - 6, 5);
            FillGradient(g, plate, {1, 1}, {1, h}, Argb(kGrey, 50), Argb(kWhite, 0));
        } else if (state & kStateHot) {
            PlusPath plate = RoundedRect(x + 2, y + 1, w - 5, h - 4, 2);
            FillGradient(g, plate, {x + 1, y + 1}, {x + 1, y + 1 + h - 5}, Argb(kWhite, 50),
                         Argb(kWhite, 40));
            PlusPath line;
            line.CreatePath();
            line.AddLine(x + 1, h - 4, w - 1, h - 4);
            PlusLinearBrush shine;
            shine.Create(PointF{x + 1, y + 1}, PointF{w - 1, y + 1}, Argb(kWhite, 10),
                         Argb(kWhite, 255));
            shine.SetLinearBlend(0.5f, 0.8f);
            PlusPen pen;
            pen.CreatePenFromBrush(shine, 2);
            g.DrawPath(pen, line);
        }
        if (!disabled && (state & (kStateFocus | kStateHot))) {
            PlusPath inner = RoundedRect(x + 2, y + 2, w - 5, h - 5, 2);
            FillGradient(g, inner, {2, 3}, {2, h}, Argb(kWhite, 60), Argb(kWhite, 50));
            PlusPath outer = RoundedRect(x, y, w - 2, h - 2, 5);
            Outline(g, outer, Argb(kBlack, 60), 1);
            PlusPath light = RoundedRect(x + 1, y + 1, w - 4, h - 4, 5);
            Outline(g, light, Argb(kWhite, 120), 1);
        }

        PlusSolidBrush ink;
        ink.Create(Argb(TextColourOf(button), 255));
        const PlusFont& font = ButtonCaptionFont(record);
        PlusStringFormat format;
        format.Create();
        format.SetAlign(1);

        if (record.Layout == 0) {
            const float s = std::floor((h - static_cast<float>(record.FontSize) - 2) * 0.8f);
            PlusImage image;
            image.LoadFromStream(picture);
            g.DrawImageRect(image, (w - s) / 2, h * 0.05f, s, s);
            format.SetTrimming(3);
            g.DrawString(record.Caption, font, ink, RectF{0, s + h * 0.05f + 2, w, h - s}, &format);
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
                g.DrawImageRect(image, 3, (h - s) / 2, s, s);
            g.DrawString(record.Caption, font, ink, RectF{s + 5, 2, cw - s - 7, ch}, &format);
        }
    }
    BitBlt(dc, 0, 0, wi, hi, background.dc(), 0, 0, SRCCOPY);
}

} // namespace skin
