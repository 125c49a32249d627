#include "compose_fixture.h"

#include <cstring>
#include <memory>

#include "skin/core/gdi_owners.h"
#include "skin/images/skin_pictures.h"
#include "skin/core/composition_types.h"

namespace compose_test {

namespace {

constexpr char kClassName[] = "VarnelCompositionTest";

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // No background erase: what is on screen is only what the tests put there.
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterTestClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProcedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = nullptr;
    wc.lpszClassName = kClassName;
    registered = RegisterClassA(&wc) != 0;
}

skin::CaptionButton SystemButton(int width, int kind, const char* tooltip) {
    skin::CaptionButton button;
    button.Width = width;
    button.Kind = kind;
    button.Tooltip = tooltip;
    return button;
}

} // namespace

ComposedWindow::ComposedWindow(const WindowOptions& options) {
    RegisterTestClass();
    // Shown without activation: under Wine without a window manager, destroying an active
    // window waits two seconds for a focus change that never comes.
    window_ = CreateWindowExA(WS_EX_TOPMOST, kClassName, options.title.c_str(),
                              options.style & ~WS_VISIBLE, 0, 0, options.width, options.height,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window_) return;
    if (options.style & WS_VISIBLE) ShowWindow(window_, SW_SHOWNOACTIVATE);
    if (options.procedure)
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(options.procedure));

    skin::TheSkin->FrameWidth = 3;
    auto record = std::make_unique<skin::WindowRecord>();
    record->Window = window_;
    record->CaptionHeight = options.captionHeight;
    record->HasCaption = options.hasCaption ? 1 : 0;
    record->Resizable = options.resizable ? 1 : 0;
    record->ShowTitle = options.showTitle ? 1 : 0;
    record->CaptionGloss = options.captionGloss ? 1 : 0;
    if (options.systemButtons) {
        record->CaptionButtons.push_back(SystemButton(26, skin::kMinimizeButton, "最小化"));
        record->CaptionButtons.push_back(SystemButton(26, skin::kMaximizeButton, "最大化"));
        record->CaptionButtons.push_back(SystemButton(38, skin::kCloseButton, "关闭"));
        record->CaptionButtonsWidth = 26 + 26 + 38;
        record->CaptionButtons[0].Image = skin::ToByteSet(skin::MinimizeButtonImage);
        record->CaptionButtons[1].Image = skin::ToByteSet(skin::MaximizeButtonImage);
        record->CaptionButtons[1].AlternateImage = skin::ToByteSet(skin::RestoreButtonImage);
        record->CaptionButtons[2].Image = skin::ToByteSet(skin::CloseButtonImage);
    }
    const int position = skin::AppendWindowRecord(std::move(record));
    skin::SetPropValue(window_, skin::kPropPosition, position);
    skin::WindowRecord& added = *skin::RecordAt(position);
    added.Tooltip.Create(window_);
    for (std::size_t i = 0; i < added.CaptionButtons.size(); ++i)
        added.Tooltip->AddTool(RECT{}, added.CaptionButtons[i].Tooltip,
                               static_cast<std::uint32_t>(i + 1));
    skin::TheSkin->LayoutCaptionButtons(position);
    if (options.statusHeight > 0)
        skin::TheSkin->CreateStatusBar(position, options.statusHeight, options.panes);
    skin::TheSkin->LayoutStatusBar(position);
}

ComposedWindow::~ComposedWindow() {
    auto& list = skin::Engine.WindowList;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if ((*it)->Window == window_) {
            list.erase(it);
            break;
        }
    }
    if (window_) DestroyWindow(window_);
}

COLORREF ComposedWindow::BufferPixel(int x, int y) const {
    const skin::WindowRecord* r = skin::RecordAt(position());
    if (!r || !r->BackBufferDC) return CLR_INVALID;
    return GetPixel(r->BackBufferDC.get(), x, y);
}

COLORREF ComposedWindow::ScreenPixel(int x, int y) const {
    gdi::WindowDC screen(window_);
    return GetPixel(screen.get(), x, y);
}

std::vector<COLORREF> ComposedWindow::ScreenPixels() const {
    RECT rc{};
    GetClientRect(window_, &rc);
    void* bits = nullptr;
    gdi::MemoryDC copy = gdi::MemoryDC::Create();
    copy.Adopt(gdi::CreateArgbBitmap(rc.right, rc.bottom, &bits));
    {
        gdi::WindowDC screen(window_);
        BitBlt(copy.get(), 0, 0, rc.right, rc.bottom, screen.get(), 0, 0, SRCCOPY);
    }
    GdiFlush();
    std::vector<COLORREF> pixels(static_cast<std::size_t>(rc.right) * rc.bottom);
    const auto* source = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; source && i < pixels.size(); ++i) {
        const std::uint32_t p = source[i]; // 0xAARRGGBB in memory order B, G, R, A
        pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    return pixels;
}

skin::ByteSet MakeBmp(int width, int height, const std::function<COLORREF(int, int)>& colour) {
    const int stride = (width * 3 + 3) & ~3;
    const int imageSize = stride * height;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(imageSize);
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height; // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(imageSize);
    skin::ByteSet bytes(file.bfSize, 0);
    std::memcpy(bytes.data(), &file, sizeof(file));
    std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bytes.data() + file.bfOffBits + (height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colour(x, y);
            row[x * 3 + 0] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
        }
    }
    return bytes;
}

int Brightness(COLORREF colour) {
    return GetRValue(colour) + GetGValue(colour) + GetBValue(colour);
}

void CompositionTest::SetUp() {
    if (!skin::TheSkin) skin::CreateTheSkin();
    skin::Engine.ThemeColour = 0x00FF8800;
    skin::Engine.AccentColour = skin::kDefaultAccentColour;
    skin::Engine.ThemeImage.clear();
    skin::Engine.ThemeImageMode = 0;
    skin::Engine.FirstPaint = 1;
    testing_support::PlusTest::SetUp();
}

void CompositionTest::TearDown() {
    testing_support::PlusTest::TearDown();
    skin::Engine.ThemeImage.clear();
}

} // namespace compose_test
