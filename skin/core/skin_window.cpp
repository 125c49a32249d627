// Skinning a top-level window (SkinWindow), its window procedure (WindowProc), caption-button
// clicks (CaptionButtonAction) and the release of a window's record when it goes away.
#include "skin/core/skin_window.h"

#include "skin/core/capture.h"
#include "skin/core/caption_input.h"
#include "skin/core/child_messages.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "skin/core/window_services.h"
#include "skin/images/skin_pictures.h"

#include <commctrl.h>

#include <utility>
#include <vector>

namespace skin {
namespace {

constexpr UINT_PTR kHoverInterval = 20; // ms per animation step
constexpr int kHoverSteps = 8;
constexpr int kHoverLevelStep = 30; // state level per step: 30, 60 ... 240
constexpr int kFrameWidth = 3;

short SignedLow(LPARAM value) {
    return static_cast<short>(LOWORD(value));
}
short SignedHigh(LPARAM value) {
    return static_cast<short>(HIWORD(value));
}

// The timer of a window's caption-button animation is identified by the window handle.
UINT_PTR HoverTimerId(HWND window) {
    return reinterpret_cast<UINT_PTR>(window);
}

int TaskbarHeight() {
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    if (!taskbar) return 0;
    RECT r{};
    GetWindowRect(taskbar, &r);
    return r.bottom - r.top;
}

// The size a window maximized by the skin takes: the screen, less the taskbar.
SIZE MaximizedSize() {
    return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - TaskbarHeight()};
}

LRESULT PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto saved = reinterpret_cast<WNDPROC>(GetPropValue(window, kPropSavedProc));
    if (!saved) return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(saved, window, message, wParam, lParam);
}

struct SystemButton {
    std::span<const std::uint8_t> image;
    std::span<const std::uint8_t> alternate;
    const char* tooltip;
    int kind;
    int width;
};

LRESULT OnPaint(SkinEngine& engine, int p, WindowRecord& rec) {
    HWND window = rec.Window;
    const bool minimized = rec.Minimized != 0;
    const bool wholeClient = std::exchange(rec.WholeClientInvalid, false);
    const bool stepBands = std::exchange(rec.StepBandsInvalid, false);
    {
        gdi::PaintDC paint(window);
        if (rec.Minimized) {
            // painting is left to the default procedure below
        } else if (!rec.BackgroundStale) {
            engine.ShowBackBuffer(p, GetDC(window));
        } else if (Engine.FirstPaint == 0) {
            // Leaves the window stale when it could not get its back buffer, so the next
            // paint tries again. The picture goes out through a window DC the rebuild takes
            // itself (no DC of ours to hand over: after a region change each one costs a
            // new visible region), unless this paint's DC reaches the whole client or what a
            // drag step moved.
            if ((wholeClient || stepBands) && paint.get())
                engine.RebuildThroughPaintDC(p, paint.get(), wholeClient);
            else
                engine.RebuildBackground(p, HDC{});
        } else {
            rec.BackgroundStale = 0;
        }
    }
    // The window is valid now: the default procedure would begin and end a paint of nothing
    // (a round of window-server calls for its update region, caret and visible region).
    return minimized ? DefWindowProcA(window, WM_PAINT, 0, 0) : 0;
}

// With client-area animation off the fades jump to their end: the button coming in is drawn hot
// at once, the one going out plain, and no timer runs.
void FinishHoverFades(SkinEngine& engine, int p, WindowRecord& rec) {
    if (rec.HoverIn.Button >= 1 && rec.HoverIn.Step < kHoverSteps) {
        rec.HoverIn.Step = kHoverSteps;
        engine.PaintCaptionButton(p, rec.HoverIn.Button, nullptr, 0, kHoverSteps * kHoverLevelStep);
    }
    if (rec.HoverOut.Button >= 1 && rec.HoverOut.Step < kHoverSteps) {
        rec.HoverOut.Step = kHoverSteps;
        engine.PaintCaptionButton(p, rec.HoverOut.Button, nullptr, 0, 0);
    }
}

void OnMouseMove(SkinEngine& engine, HWND window, int p, WindowRecord& rec, LPARAM lParam) {
    if (!rec.MouseInside) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = window;
        track.dwHoverTime = 1;
        TrackMouseEvent(&track);
    }
    if (!rec.HasCaption) return;
    const int x = SignedLow(lParam), y = SignedHigh(lParam);
    const bool onRow = x >= rec.ButtonsLeft &&
                       x <= rec.ButtonsLeft + Px(rec, rec.CaptionButtonsWidth) &&
                       y >= rec.ButtonsTop && y <= rec.ButtonsTop + rec.ButtonsHeight;
    if (onRow) {
        if (!rec.HoverTimer && CaptionFadesAnimate()) {
            SetTimer(window, HoverTimerId(window), kHoverInterval, nullptr);
            rec.HoverTimer = 1;
        }
    } else {
        rec.HoverTimer = 0;
    }
    engine.HotCaptionButton = engine.HitTestCaptionButton(p, x, y);
    if (rec.HotButton >= 1 && rec.HotButton != engine.HotCaptionButton) {
        if (rec.HoverOut.Step < kHoverSteps && rec.HoverOut.Button >= 1)
            engine.PaintCaptionButton(p, rec.HoverOut.Button, nullptr, 0, 0);
        rec.HoverOut = {rec.HotButton, 0};
    }
    if (engine.HotCaptionButton >= 1 && engine.HotCaptionButton != rec.HotButton)
        rec.HoverIn = {engine.HotCaptionButton, 0};
    rec.HotButton = engine.HotCaptionButton;
    if (!CaptionFadesAnimate()) FinishHoverFades(engine, p, rec);
    if (!rec.IsMaximized) engine.UpdateFrameCursor(p, lParam);
}

void OnHoverTimer(SkinEngine& engine, HWND window, int p, WindowRecord& rec) {
    if (rec.HoverIn.Button >= 1 && rec.HoverIn.Step < kHoverSteps) {
        ++rec.HoverIn.Step;
        engine.PaintCaptionButton(p, rec.HoverIn.Button, nullptr, 0,
                                  rec.HoverIn.Step * kHoverLevelStep);
    }
    if (rec.HoverOut.Button >= 1 && rec.HoverOut.Step < kHoverSteps) {
        ++rec.HoverOut.Step;
        engine.PaintCaptionButton(p, rec.HoverOut.Button, nullptr, 0,
                                  kHoverSteps * kHoverLevelStep -
                                      rec.HoverOut.Step * kHoverLevelStep);
    }
    if (rec.MouseInside && rec.HoverTimer) return;
    if (rec.HoverOut.Step >= kHoverSteps || rec.HoverOut.Button == 0) {
        rec.HoverTimer = 0;
        KillTimer(window, HoverTimerId(window));
        rec.HotButton = 0;
        rec.HoverIn = {};
        rec.HoverOut = {};
    }
}

void OnMouseLeave(SkinEngine& engine, int p, WindowRecord& rec) {
    rec.MouseInside = 0;
    if (rec.HotButton < 1 || !rec.HasCaption) return;
    if (rec.HoverIn.Step < kHoverSteps && rec.HoverOut.Step < kHoverSteps) {
        if (rec.HoverOut.Button >= 1)
            engine.PaintCaptionButton(p, rec.HoverOut.Button, nullptr, 0, 0);
        rec.HoverIn = {};
    }
    rec.HoverOut = {rec.HotButton, 0};
    rec.HotButton = 0;
    if (!CaptionFadesAnimate()) {
        FinishHoverFades(engine, p, rec);
        rec.HoverIn = {};
        rec.HoverOut = {};
    }
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// WM_DPICHANGED: the window takes the DPI the message carries (the system's own answer is not
// read again: it may lag behind the message, or not change at all), moves to the suggested
// rectangle, and lays out and rebuilds everything sized from the DPI. The caches keyed by a
// size (title layer, status font and glyphs) follow the new sizes by themselves; the outline
// and the region are keyed by the client size alone, so they are dropped here.
void OnDpiChanged(SkinEngine& engine, int p, WindowRecord& rec, WPARAM wParam, LPARAM lParam) {
    const UINT dpi = LOWORD(wParam);
    if (dpi == 0) return;
    const HWND window = rec.Window;
    rec.Dpi = dpi;
    // The caches made for the old DPI wait in the spares; those of an earlier visit at this
    // DPI (if any) come back.
    std::swap(rec.TitleLayer, rec.SpareTitleLayer);
    std::swap(rec.StatusFont, rec.SpareStatusFont);
    std::swap(rec.StatusGlyphs, rec.SpareStatusGlyphs);
    for (CaptionButton& button : rec.CaptionButtons)
        std::swap(button.Picture, button.SparePicture);
    rec.Outline.size = SIZE{-1, -1};
    rec.RegionSize = SIZE{-1, -1};
    rec.HotButton = 0;
    rec.HoverIn = {};
    rec.HoverOut = {};
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
        SetWindowPos(window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        // The move ran the window's procedure (and whatever the program hooked on it).
        if (RecordAt(SkinnedPosition(window)) != &rec) return;
    }
    // The bitmaps made at the other DPI are kept (a resize ends this, WM_SIZE).
    rec.KeepLargerBitmaps = 1;
    engine.LayoutCaptionButtons(p);
    if (rec.StatusHeight > 0) engine.LayoutStatusBar(p);
    engine.LayoutDockedWindows(p);
    // The controls' metrics and fonts follow the owner's DPI at their next paint; they are
    // told here, the ones inside containers too, as the system tells a per-monitor v2 window's
    // whole child tree (older systems and Wine tell none).
    std::vector<HWND> descendants;
    EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&descendants));
    for (HWND child : descendants)
        if (IsWindow(child)) SendMessageA(child, kDpiChangedAfterParent, 0, 0);
    if (RecordAt(SkinnedPosition(window)) != &rec) return;
    rec.BackgroundStale = 1;
    if (IsWindowVisible(window) && !rec.Minimized) engine.RebuildBackground(p, std::nullopt);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

} // namespace

void SkinEngine::SkinWindow(HWND window, std::optional<int> captionHeight,
                            std::optional<int> hasCaption, std::optional<int> resizable,
                            std::optional<int> helpButton, std::optional<int> menuButton,
                            std::optional<int> showTitle, std::optional<int> captionGloss,
                            std::optional<int> statusHeight,
                            std::optional<std::vector<StatusPane>> statusPanes,
                            const ByteSet& backgroundImage, std::optional<int> imageMode) {
    // A null or destroyed handle is refused: its record could never be released (no
    // WM_NCDESTROY will come), and later operations on that handle would find it.
    if (!IsWindow(window) || FindWindowPosition(window) >= 1) return;
    ReadSystemLook();

    const LONG style = GetWindowLongA(window, GWL_STYLE);
    FrameWidth = kFrameWidth;

    auto record = std::make_unique<WindowRecord>();
    WindowRecord& r = *record;
    r.Window = window;
    r.Dpi = SystemDpiOfWindow(window);
    r.CaptionHeight = std::max(captionHeight.value_or(0), kMinCaptionHeight);
    r.HelpButton = helpButton.value_or(0);
    r.MenuButton = menuButton.value_or(0);
    r.MinimizeButton = (style & WS_MINIMIZEBOX) ? 1 : 0;
    r.MaximizeButton = (style & WS_MAXIMIZEBOX) ? 1 : 0;
    r.CloseButton = 1;
    r.HasCaption = hasCaption.value_or(1);
    r.Resizable = resizable.value_or(1);
    r.ShowTitle = showTitle.value_or(1);
    r.CaptionGloss = captionGloss.value_or(0);
    r.OwnImageMode = imageMode.value_or(Engine.ThemeImageMode);

    r.TitleTextColour = 0x00FFFFFF;
    r.TitleHaloColour = 0x00808080;
    r.TitleFontName = "宋体";
    r.TitleFontSize = 12;
    r.TitleBold = 1;

    const SystemButton buttons[] = {
        {HelpButtonImage, {}, "帮助", kHandlerAButton, 26},
        {MenuButtonImage, {}, "主菜单", kHandlerBButton, 26},
        {MinimizeButtonImage, {}, "最小化", kMinimizeButton, 26},
        {MaximizeButtonImage, RestoreButtonImage, "最大化", kMaximizeButton, 26},
        {CloseButtonImage, {}, "关闭", kCloseButton, 38},
    };
    const int flags[] = {r.HelpButton, r.MenuButton, r.MinimizeButton, r.MaximizeButton,
                         r.CloseButton};
    for (size_t i = 0; i < std::size(buttons); ++i) {
        if (!flags[i]) continue;
        CaptionButton button;
        button.Width = buttons[i].width;
        button.Height = 18;
        button.Image = ToByteSet(buttons[i].image);
        button.AlternateImage = ToByteSet(buttons[i].alternate);
        button.Kind = buttons[i].kind;
        button.Tooltip = buttons[i].tooltip;
        r.CaptionButtonsWidth += button.Width;
        r.CaptionButtons.push_back(std::move(button));
    }

    SetWindowLongA(window, GWL_STYLE, style | WS_SYSMENU);
    // The system menu Alt+Space opens: a window made without WS_SYSMENU has none until asked.
    GetSystemMenu(window, FALSE);

    const int p = AppendWindowRecord(std::move(record));
    WindowRecord& rec = *RecordAt(p);

    rec.Tooltip.Create(window, true);
    for (size_t i = 0; i < rec.CaptionButtons.size(); ++i) {
        const CaptionButton& b = rec.CaptionButtons[i];
        const RECT area{static_cast<LONG>(b.Rect.x), static_cast<LONG>(b.Rect.y),
                        static_cast<LONG>(b.Rect.x + b.Rect.width),
                        static_cast<LONG>(b.Rect.y + b.Rect.height)};
        rec.Tooltip->AddTool(area, b.Tooltip, static_cast<std::uint32_t>(i + 1));
    }
    LayoutCaptionButtons(p);

    const int bar = statusHeight.value_or(0);
    if (bar > 0) {
        CreateStatusBar(p, bar, statusPanes.value_or(std::vector<StatusPane>{}));
        rec.StatusTextColour = 0;
        rec.StatusGlowColour = 0x00FFFFFF;
        rec.StatusFontName = "宋体";
        rec.StatusFontSize = 12;
    }
    LayoutStatusBar(p);

    SkinChildControls(p, window);

    rec.BackgroundStale = 1;

    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, static_cast<LONG_PTR>(ThunkAddress(WndProcThunk))));
    rec.SavedWindowProc = previous;
    SetPropValue(window, kPropSavedProc, reinterpret_cast<LONG_PTR>(previous));
    SetPropValue(window, kPropPosition, p);
    // The own picture goes through the same door as a later one: bytes that do not decode are
    // refused, and the window shows the theme instead of a black background.
    if (!backgroundImage.empty()) SetWindowBackground(window, backgroundImage, rec.OwnImageMode);
}

LRESULT SkinEngine::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A window whose record is gone (or was never made) gets every message passed on untouched.
    const int p = SkinnedPosition(window);
    WindowRecord* rec = RecordAt(p);
    if (!rec) return PassOn(window, message, wParam, lParam);

    // What the window's controls ask of their parent (colours, owner-drawn faces) and what they
    // report is answered as in a container.
    if (const auto answer = AnswerChildMessage(p, message, wParam, lParam)) return *answer;
    // The caption buttons' tooltip watches the mouse through this procedure.
    rec->Tooltip.Relay(message, wParam, lParam);
    if (const auto answer = AnswerCaptionInput(*this, p, window, message, wParam, lParam))
        return *answer;
    if (const auto answer = AnswerAccessibilityMessage(p, window, message, wParam, lParam))
        return *answer;
    switch (message) {
        case WM_DESTROY:
            // The children still exist now (not at WM_NCDESTROY): their colour brushes go.
            ReleaseChildColourBrushes(window);
            break;
        case WM_NCDESTROY:
            RemoveWindowRecord(window);
            KillTimer(window, HoverTimerId(window));
            break;
        case WM_SHOWWINDOW:
            if (wParam != 1) break;
            if (rec->Minimized) {
                rec->Minimized = 0;
            } else {
                // Validate through BeginPaint/EndPaint; the picture goes out through a window
                // DC of its own, which RebuildBackground releases.
                gdi::PaintDC paint(window);
                RebuildBackground(p, GetDC(window));
            }
            break;
        case WM_ERASEBKGND: SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT); return 1;
        case WM_PAINT: return OnPaint(*this, p, *rec);
        case WM_SIZE:
            rec->HotButton = 0;
            rec->KeepLargerBitmaps = 0;
            if (Engine.FirstPaint == 1) {
                rec->BackgroundStale = 0;
                Engine.FirstPaint = 0;
            } else {
                rec->BackgroundStale = 1;
                // Every pixel of the picture follows the size (the border, the caption buttons
                // at the right, the stretched theme), but the system asks for a paint only
                // where a growth uncovers the window: a shrink would keep the old picture, cut
                // off at the new edges, and the old region.
                // The controls are left alone: the rebuild decides what they owe.
                InvalidateResized(p, wParam, SIZE{LOWORD(lParam), HIWORD(lParam)});
            }
            LayoutDockedWindows(p);
            break;
        case WM_ENTERSIZEMOVE:
        case WM_EXITSIZEMOVE: AnswerSizeMoveMessage(p, message); break;
        case WM_QUERYOPEN: rec->Minimized = 0; break;
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_MAXIMIZE:
                    rec->IsMaximized = 1;
                    rec->BackgroundStale = 1;
                    break;
                case SC_RESTORE:
                    rec->BackgroundStale = 1;
                    rec->Minimized = 0;
                    // Restoring a maximized window (not a minimized one, which goes back to
                    // what it was) ends the skin's maximized state, whoever sent the command.
                    if (!IsIconic(window)) rec->IsMaximized = 0;
                    break;
                case SC_MINIMIZE:
                    rec->BackgroundStale = 1;
                    rec->Minimized = 1;
                    break;
                default: break;
            }
            break;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            SIZE size{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
            if (rec->IsMaximized) size = MaximizedSize();
            info->ptMinTrackSize = POINT{Px(*rec, 200), Px(*rec, 150)};
            info->ptMaxTrackSize = POINT{size.cx, size.cy};
            return 0;
        }
        case WM_WINDOWPOSCHANGED:
            if (rec->IsMaximized) {
                const SIZE size = MaximizedSize();
                RECT now{};
                GetWindowRect(window, &now);
                // Only a real change is asked for, so the resulting WM_WINDOWPOSCHANGED does
                // not come back here for ever.
                if (now.right - now.left != size.cx || now.bottom - now.top != size.cy)
                    SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
                                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER);
            }
            if ((rec = RecordAt(SkinnedPosition(window))) == nullptr) break;
            LayoutCaptionButtons(p);
            if (rec->StatusHeight > 0) LayoutStatusBar(p);
            break;
        case WM_SETTEXT:
            if (rec->HasCaption && rec->ShowTitle)
                PaintTitle(p, nullptr,
                           std::string(lParam ? reinterpret_cast<const char*>(lParam) : ""));
            break;
        case WM_MOUSEMOVE: OnMouseMove(*this, window, p, *rec, lParam); break;
        case WM_MOUSEHOVER: rec->MouseInside = 1; break;
        case WM_MOUSELEAVE: OnMouseLeave(*this, p, *rec); break;
        case WM_TIMER:
            if (wParam == HoverTimerId(window)) OnHoverTimer(*this, window, p, *rec);
            break;
        case WM_LBUTTONDOWN:
            rec->HoverIn.Button = 0;
            if (rec->HasCaption) {
                if (!rec->IsMaximized && !rec->Minimized) BeginFrameDrag(p, lParam);
                // The drag may have run a modal loop; the window may be gone by now.
                if (RecordAt(SkinnedPosition(window)) != rec) break;
                HotCaptionButton = HitTestCaptionButton(p, SignedLow(lParam), SignedHigh(lParam));
                if (HotCaptionButton >= 1) PaintCaptionButton(p, HotCaptionButton, nullptr, 1);
            }
            break;
        case WM_LBUTTONUP:
            if (ButtonThunkAddress != 0 && HotCaptionButton >= 1 && !rec->CaptionButtons.empty() &&
                rec->HasCaption)
                CaptionButtonAction(p, HotCaptionButton);
            break;
        case WM_LBUTTONDBLCLK:
            if (Px(*rec, rec->CaptionHeight) >= SignedHigh(lParam) && rec->Resizable) {
                const int b = FindMaximizeButton(p);
                if (b >= 1) CaptionButtonAction(p, b);
            }
            break;
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
        case WM_NCACTIVATE: AnswerSystemLookMessage(p, message, wParam); break;
        case WM_DPICHANGED:
            // The program sees the message after the window has its new rectangle and skin, so
            // it lays out its own controls at the new DPI (and need not move the window).
            OnDpiChanged(*this, p, *rec, wParam, lParam);
            break;
        case WM_ACTIVATEAPP:
            if (wParam == 0) StartWorkingSetTrim();
            break;
        default: break;
    }
    return PassOn(window, message, wParam, lParam);
}

void SkinEngine::CaptionButtonAction(int position, int button) {
    WindowRecord* rec = RecordAt(position);
    if (!rec || button < 1 || button > static_cast<int>(rec->CaptionButtons.size())) return;
    CaptionButton& b = rec->CaptionButtons[static_cast<size_t>(button - 1)];
    WPARAM code = SC_CLOSE;
    switch (b.Kind) {
        case kMaximizeButton:
            rec->BackgroundStale = 1;
            rec->Minimized = 0;
            if (rec->IsMaximized) {
                rec->IsMaximized = 0;
                code = SC_RESTORE;
            } else {
                rec->IsMaximized = 1;
                code = SC_MAXIMIZE;
            }
            break;
        case kMinimizeButton:
            code = SC_MINIMIZE;
            rec->Minimized = 1;
            break;
        case kHandlerBButton:
        case kHandlerAButton:
        case kApplicationButton: {
            // Handler buttons run their routine, with no arguments and no system command.
            // A copy: the routine may well close the window and free its record.
            const CaptionRoutine action = b.Kind == kHandlerAButton   ? rec->HandlerA
                                          : b.Kind == kHandlerBButton ? rec->HandlerB
                                                                      : b.Action;
            if (action) action();
            return;
        }
        default: break;
    }
    SendMessageA(rec->Window, WM_SYSCOMMAND, code, 0);
}

} // namespace skin
