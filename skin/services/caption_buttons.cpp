// Caption buttons, window dragging and edge resizing.
//
// A skinned window has no system caption: its buttons are drawn in a row at the right end of
// the caption with a fixed pitch of 27 pixels, and a press elsewhere drags the window or, near
// an edge of a resizable window, resizes it through the system's own size loop.
#include "skin/services/caption_buttons.h"

#include <algorithm>
#include <optional>
#include <cmath>

#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "plus/plus_path.h"
#include "plus/plus_pen.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/paint_phases.h"
#include "skin/core/skin_engine.h"
#include "skin/images/skin_pictures.h"
#include "skin/services/back_buffer.h"
#include "skin/services/system_look.h"

namespace skin {

namespace {

constexpr float kTolerance = 1e-7f;
constexpr COLORREF kRed = 0x000000FF;

// The resize zones in the order they are tested; the first that matches wins.
struct FrameZone {
    int command; // WM_SYSCOMMAND code (SC_SIZE + n)
    WORD cursor; // IDC_* number
};
constexpr WORD kCursorSizeNWSE = 32642;
constexpr WORD kCursorSizeNESW = 32643;
constexpr WORD kCursorSizeWE = 32644;
constexpr WORD kCursorSizeNS = 32645;

// `corner` is the size of the square corner zones (10 pixels at 96 dpi).
std::optional<FrameZone> ZoneAt(int x, int y, int w, int h, int frame, int corner) {
    const int c = corner;
    if (x <= frame && y > c && y < h - c) return FrameZone{0xF001, kCursorSizeWE};
    if (x >= w - frame && y > c && y < h - c) return FrameZone{0xF002, kCursorSizeWE};
    if (y <= frame && x > c && x < w - c) return FrameZone{0xF003, kCursorSizeNS};
    if (y >= h - frame && x > c && x < w - c) return FrameZone{0xF006, kCursorSizeNS};
    if (x <= c && y <= c) return FrameZone{0xF004, kCursorSizeNWSE};
    if (x >= w - c && y <= c) return FrameZone{0xF005, kCursorSizeNESW};
    if (x <= c && y >= h - c) return FrameZone{0xF007, kCursorSizeNESW};
    if (x >= w - c && y >= h - c) return FrameZone{0xF008, kCursorSizeNWSE};
    return std::nullopt;
}

bool OnButtonRow(const WindowRecord& record, int x, int y) {
    return x >= record.ButtonsLeft &&
           x <= record.ButtonsLeft + Px(record, record.CaptionButtonsWidth) &&
           y <= record.ButtonsHeight && y >= Px(record, 3);
}

// What a press or a move at the client point means for the frame: nothing (on the button
// row, or no caption), a resize zone, or (nullopt zone, true) a drag.
struct FrameTarget {
    bool frameAction = false;
    std::optional<FrameZone> zone;
};

FrameTarget FrameTargetAt(const WindowRecord& record, int frame, LPARAM point) {
    const int x = static_cast<short>(LOWORD(point));
    const int y = static_cast<short>(HIWORD(point));
    if (OnButtonRow(record, x, y) || !record.HasCaption) return {};
    FrameTarget target;
    target.frameAction = true;
    if (record.Resizable) {
        RECT rc{};
        GetClientRect(record.Window, &rc);
        target.zone = ZoneAt(x, y, rc.right, rc.bottom, Px(record, frame), Px(record, 10));
    }
    return target;
}

// The button's drawn rectangle: the layout rectangle rounded, one pixel to the left.
struct ButtonBox {
    int x, y, w, h;
};
ButtonBox BoxOf(const CaptionButton& button) {
    return ButtonBox{static_cast<int>(std::lround(button.Rect.x)) - 1,
                     static_cast<int>(std::lround(button.Rect.y)),
                     static_cast<int>(std::lround(button.Rect.width)),
                     static_cast<int>(std::lround(button.Rect.height))};
}

// The button's outline: a rectangle, or for the close button one with a rounded top-right
// corner of size 5.
void AddButtonShape(plus::PlusPath& path, const ButtonBox& box, bool roundedCorner, float corner) {
    const float x = static_cast<float>(box.x);
    const float y = static_cast<float>(box.y);
    const float w = static_cast<float>(box.w);
    const float h = static_cast<float>(box.h);
    if (!roundedCorner) {
        path.AddRectangle(x, y, w, h);
        return;
    }
    path.AddLine(x, y + h, x, y);
    path.AddLine(x, y, x + w - corner, y);
    path.AddArc(x + w - corner, y, corner, corner, 270, 90);
    path.AddLine(x + w, y + corner, x + w, y + h);
    path.CloseFigure();
}

constexpr int kInterpolationHighQualityBicubic = 7;

// Above 96 dpi a skin picture is replaced by its drawing for the DPI, and any picture that is
// still resized (a caller's own) is filtered rather than stretched pixel by pixel.
void DrawButtonImage(plus::PlusGraphics& graphics, CaptionButton& button, const ByteSet& bytes,
                     UINT dpi, float x, float y, float w, float h) {
    const auto decoded = [&button](const ByteSet& picture) {
        const PhaseClock clock(PaintPhase::ButtonPictures);
        return button.Picture.Get(picture);
    };
    if (dpi <= kDesignDpi) {
        if (plus::PlusImage* image = decoded(bytes)) graphics.DrawImageRect(*image, x, y, w, h);
        return;
    }
    const std::span<const std::uint8_t> drawn = SkinPictureForDpi(bytes, dpi);
    plus::PlusImage* image = decoded(drawn.data() == bytes.data() ? bytes : ToByteSet(drawn));
    if (!image) return;
    // The picture drawn for this scale usually fits the box exactly: then it is copied, not
    // filtered (filtering costs a rebuild at 150 % a fifth of its time, for the same pixels).
    if (static_cast<float>(image->GetWidth()) == w && static_cast<float>(image->GetHeight()) == h) {
        graphics.DrawImageRect(*image, x, y, w, h);
        return;
    }
    const int mode = graphics.GetInterpolationMode();
    graphics.SetInterpolationMode(kInterpolationHighQualityBicubic);
    graphics.DrawImageRect(*image, x, y, w, h);
    graphics.SetInterpolationMode(mode);
}

CaptionButton* ButtonAt(WindowRecord& record, int button) {
    if (button < 1 || static_cast<std::size_t>(button) > record.CaptionButtons.size())
        return nullptr;
    return &record.CaptionButtons[static_cast<std::size_t>(button - 1)];
}

// The strip of the caption a button owns: from its left separator (rect.x - 2) to the next
// button's left separator, or for the last button one pixel past its drawn right edge. A paint
// outside a rebuild restores exactly this strip and draws only inside it, so the gloss and the
// separators, which reach past the button, are never drawn twice over themselves (a hover
// animation would otherwise darken them frame by frame).
RECT OwnedArea(WindowRecord& record, int button) {
    const CaptionButton& face = *ButtonAt(record, button);
    const ButtonBox box = BoxOf(face);
    const int top = record.ButtonsTop + 1;
    int right = box.x + box.w + 1;
    if (const CaptionButton* next = ButtonAt(record, button + 1))
        right = static_cast<int>(std::lround(next->Rect.x)) - 2;
    return RECT{box.x - 1, top, right, top + box.h};
}

} // namespace

bool SkinEngine::AddCaptionButton(HWND window, const ByteSet& image, const std::string& tooltip,
                                  CaptionRoutine action) {
    const int position = SkinnedPosition(window);
    WindowRecord* record = RecordAt(position);
    if (!record) return false;
    record->CaptionButtonsWidth += kCaptionButtonPitch;
    CaptionButton button;
    button.Image = image;
    button.Kind = kApplicationButton;
    button.Tooltip = tooltip;
    button.Action = std::move(action);
    record->CaptionButtons.insert(record->CaptionButtons.begin(), std::move(button));
    if (record->Tooltip->GetTooltipWindow())
        record->Tooltip->AddTool(RECT{}, tooltip,
                                 static_cast<std::uint32_t>(record->CaptionButtons.size()));
    LayoutCaptionButtons(position);
    return true;
}

void SkinEngine::LayoutCaptionButtons(int position) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    if (record->Window) {
        RECT rc{};
        GetClientRect(record->Window, &rc);
        record->ButtonsLeft = rc.right - Px(*record, record->CaptionButtonsWidth) + 1;
        record->ButtonsHeight = Px(*record, 22);
    }
    // Each size is scaled on its own (not the row as a whole), so every button at one DPI has
    // the same whole-pixel width and pitch.
    const float x0 = static_cast<float>(record->ButtonsLeft + Px(*record, 2));
    const float y0 = static_cast<float>(record->ButtonsTop + Px(*record, 1));
    const float pitch = PxF(*record, kCaptionButtonPitch);
    for (std::size_t i = 0; i < record->CaptionButtons.size(); ++i) {
        CaptionButton& button = record->CaptionButtons[i];
        button.Rect =
            plus::RectF{x0 + pitch * static_cast<float>(i), y0,
                        PxF(*record, button.Kind == kCloseButton ? 40 : 26), PxF(*record, 18)};
    }
    if (!record->Tooltip->GetTooltipWindow()) return;
    for (std::size_t i = 0; i < record->CaptionButtons.size(); ++i) {
        const CaptionButton& button = record->CaptionButtons[i];
        const int x = static_cast<int>(button.Rect.x);
        const int y = static_cast<int>(button.Rect.y);
        const RECT tool{x, y, x + static_cast<int>(button.Rect.width),
                        y + static_cast<int>(button.Rect.height)};
        record->Tooltip.Place(static_cast<std::uint32_t>(i + 1), tool, button.Tooltip);
    }
}

int SkinEngine::HitTestCaptionButton(int position, int x, int y) {
    const WindowRecord* record = RecordAt(position);
    if (!record) return 0;
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    if (fx < static_cast<float>(record->ButtonsLeft) - kTolerance ||
        fy < static_cast<float>(record->ButtonsTop) - kTolerance ||
        fy > static_cast<float>(record->ButtonsTop + record->ButtonsHeight) + kTolerance)
        return 0;
    for (std::size_t i = 0; i < record->CaptionButtons.size(); ++i) {
        const plus::RectF& r = record->CaptionButtons[i].Rect;
        if (fx > r.x + kTolerance && fx < r.x + r.width - kTolerance && fy > r.y + kTolerance &&
            fy < r.y + r.height - kTolerance)
            return static_cast<int>(i + 1);
    }
    return 0;
}

int SkinEngine::FindMaximizeButton(int position) {
    const WindowRecord* record = RecordAt(position);
    if (!record) return 0;
    for (std::size_t i = 0; i < record->CaptionButtons.size(); ++i)
        if (record->CaptionButtons[i].Kind == kMaximizeButton) return static_cast<int>(i + 1);
    return 0;
}

void SkinEngine::BeginFrameDrag(int position, LPARAM point) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    const FrameTarget target = FrameTargetAt(*record, FrameWidth, point);
    if (!target.frameAction) return;
    if (target.zone) {
        record->BackgroundStale = 1;
        SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(target.zone->cursor)));
        SendMessageA(record->Window, WM_SYSCOMMAND, static_cast<WPARAM>(target.zone->command), 0);
        return;
    }
    SendMessageA(record->Window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void SkinEngine::UpdateFrameCursor(int position, LPARAM point) {
    const WindowRecord* record = RecordAt(position);
    if (!record) return;
    const FrameTarget target = FrameTargetAt(*record, FrameWidth, point);
    if (target.zone) SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(target.zone->cursor)));
}

void SkinEngine::SetHandlerA(HWND window, CaptionRoutine routine) {
    if (WindowRecord* record = RecordAt(FindWindowPosition(window)))
        record->HandlerA = std::move(routine);
}

void SkinEngine::SetHandlerB(HWND window, CaptionRoutine routine) {
    if (WindowRecord* record = RecordAt(FindWindowPosition(window)))
        record->HandlerB = std::move(routine);
}

RECT SkinEngine::GetCaptionButtonsRect(HWND window) {
    const WindowRecord* record = RecordAt(FindWindowPosition(window));
    if (!record) return RECT{};
    return RECT{record->ButtonsLeft, record->ButtonsTop,
                record->ButtonsLeft + Px(*record, record->CaptionButtonsWidth),
                record->ButtonsTop + record->ButtonsHeight};
}

void SkinEngine::PaintCaptionButton(int position, int button, plus::PlusGraphics* graphics,
                                    bool highlight, int level) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    CaptionButton* face = ButtonAt(*record, button);
    if (!face || (!graphics && !record->BackBufferDC)) return;
    const PhaseClock clock(PaintPhase::Buttons);
    const ButtonBox box = BoxOf(*face);
    const RECT area = OwnedArea(*record, button);

    std::optional<BackBufferCanvas> own;
    if (!graphics) {
        own.emplace(*record, area);
        graphics = &own->graphics();
    }
    RestoreCaptionRect(position, area);

    const float x = static_cast<float>(box.x);
    const float y = static_cast<float>(box.y);
    const float w = static_cast<float>(box.w);
    const float h = static_cast<float>(box.h);
    const bool closeButton = face->Kind == kCloseButton;
    const ByteSet& picture =
        face->Kind == kMaximizeButton && record->IsMaximized && !face->AlternateImage.empty()
            ? face->AlternateImage
            : face->Image;

    if (SystemLookOn()) {
        PaintSystemCaptionButton(*record, *graphics, button,
                                 RECT{box.x, box.y, box.x + box.w, box.y + box.h},
                                 highlight || level > 0);
    } else if (highlight) {
        plus::PlusPath shape;
        shape.CreatePath();
        AddButtonShape(shape, box, closeButton, PxF(*record, 5));
        plus::PlusLinearBrush fill;
        if (closeButton)
            fill.Create(plus::PointF{x, y}, plus::PointF{x, y + h}, ToArgb(kRed, 255, 1),
                        ToArgb(0xFFFFFF, 30, 1));
        else
            fill.Create(plus::PointF{x, y}, plus::PointF{x, y + h}, ToArgb(0x000000, 80, 1),
                        ToArgb(0xFFFFFF, 5, 1));
        graphics->FillPath(fill, shape);
        DrawButtonImage(*graphics, *face, picture, record->Dpi, x, y, w - 1, h);
    } else {
        // Always anti-aliased, also on a rebuild's graphics, so a hover that fades out ends
        // with exactly the picture the rebuild drew.
        const int smoothing = graphics->GetSmoothingMode();
        graphics->SetSmoothingMode(plus::SmoothingModeAntiAlias);
        PaintCaptionButtonState(*graphics, position, button, level);
        const plus::ARGB glossTop = ToArgb(0xFFFFFF, 50, 1);
        const plus::ARGB glossBottom = ToArgb(0x000000, 0, 1);
        if (const PixelRows pixels = DirectPixels(*graphics)) {
            BlendVerticalGradient(pixels, RECT{box.x - 1, box.y, box.x + box.w, box.y + box.h - 1},
                                  y, y + h - 1, glossTop, glossBottom);
        } else {
            plus::PlusLinearBrush gloss;
            gloss.Create(plus::PointF{x, y}, plus::PointF{x, y + h - 1}, glossTop, glossBottom);
            graphics->FillRectangle(gloss, x - 1, y, w + 1, h - 1);
        }
        DrawButtonImage(*graphics, *face, picture, record->Dpi, x, y, w, h);
        PaintCaptionButtonSeparators(position, button, *graphics);
        graphics->SetSmoothingMode(smoothing);
    }

    if (own) {
        own.reset();
        ShowBackBufferRect(*record, area);
    }
}

void SkinEngine::PaintCaptionButtonState(plus::PlusGraphics& graphics, int position, int button,
                                         int level) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    const CaptionButton* face = ButtonAt(*record, button);
    if (!face) return;
    const int alpha = std::clamp(level, 0, 255);
    // At level 0 every colour below is fully transparent: nothing would change.
    if (alpha == 0) return;
    const ButtonBox box = BoxOf(*face);
    const float x = static_cast<float>(box.x);
    const float y = static_cast<float>(box.y);
    const float w = static_cast<float>(box.w);
    const float h = static_cast<float>(box.h);
    const bool closeButton = face->Kind == kCloseButton;

    plus::PlusPath shape;
    shape.CreatePath();
    AddButtonShape(shape, box, closeButton, PxF(*record, 5));

    // A shadow deepening towards the bottom, then the hover colour rising from the bottom.
    plus::PlusLinearBrush shadow;
    shadow.Create(plus::PointF{x, y}, plus::PointF{x, y + h}, ToArgb(0x000000, 0, 1),
                  ToArgb(0x000000, static_cast<BYTE>(alpha / 5), 1));
    graphics.FillPath(shadow, shape);
    plus::PlusLinearBrush fill;
    fill.Create(plus::PointF{x, y + h}, plus::PointF{x, y},
                ToArgb(closeButton ? kRed : Engine.AccentColour, static_cast<BYTE>(alpha), 1),
                ToArgb(0xFFFFFF, 0, 1));
    graphics.FillPath(fill, shape);

    plus::PlusPen edge;
    edge.CreatePen(ToArgb(0xFFFFFF, static_cast<BYTE>(alpha * 4 / 5), 1), PxF(*record, 1));
    graphics.DrawRectangle(edge, x + w * 0.1f, y + h * 0.1f, w * 0.8f, h * 0.8f);
}

void SkinEngine::PaintCaptionButtonSeparators(int position, int button,
                                              plus::PlusGraphics& graphics) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    const CaptionButton* face = ButtonAt(*record, button);
    if (!face) return;
    const float top = static_cast<float>(record->ButtonsTop);
    const float height = static_cast<float>(record->ButtonsHeight);
    const auto separator = [&](float x, BYTE alpha) {
        plus::PlusLinearBrush fade;
        fade.Create(plus::PointF{x, top}, plus::PointF{x, top + height - PxF(*record, 3)},
                    ToArgb(0x000000, alpha, 1), ToArgb(0x000000, 0, 1));
        plus::PlusPen pen;
        pen.CreatePenFromBrush(fade, PxF(*record, 1));
        graphics.DrawLine(pen, x, top + PxF(*record, 1), x, top + height - PxF(*record, 4));
    };
    // Each separator stands 2 pixels (at 96 dpi) left of its button.
    separator(face->Rect.x - PxF(*record, 2), button == 1 ? 100 : 60);
    if (const CaptionButton* next = ButtonAt(*record, button + 1))
        separator(next->Rect.x - PxF(*record, 2), 60);
}

int SkinEngine::SetSystemButtonImages(HWND window, std::optional<ByteSet> minimizeImage,
                                      std::optional<ByteSet> maximizeImage,
                                      std::optional<ByteSet> restoreImage,
                                      std::optional<ByteSet> closeImage) {
    const int position = SkinnedPosition(window);
    WindowRecord* record = RecordAt(position);
    if (!record || record->CaptionButtons.empty()) return 0;
    const int n = static_cast<int>(record->CaptionButtons.size());
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const bool minimizeBox = (style & WS_MINIMIZEBOX) != 0;
    const bool maximizeBox = (style & WS_MAXIMIZEBOX) != 0;

    if (closeImage) ButtonAt(*record, n)->Image = *closeImage;
    const auto setMaximize = [&](CaptionButton* button) {
        if (!button) return;
        if (maximizeImage) button->Image = *maximizeImage;
        if (restoreImage) button->AlternateImage = *restoreImage;
    };
    const auto setMinimize = [&](CaptionButton* button) {
        if (button && minimizeImage) button->Image = *minimizeImage;
    };
    if (minimizeBox && maximizeBox) {
        setMaximize(ButtonAt(*record, n - 1));
        setMinimize(ButtonAt(*record, n - 2));
    } else if (minimizeBox) {
        setMinimize(ButtonAt(*record, n - 1));
    } else if (maximizeBox) {
        setMaximize(ButtonAt(*record, n - 1));
    }
    for (int i = 1; i <= n; ++i)
        PaintCaptionButton(position, i);
    return 1;
}

} // namespace skin
