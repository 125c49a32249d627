#include "skin/core/skin_engine.h"

#include "plus/plus_object.h"
#include "skin/core/capture.h"
#include "skin/core/skin_window.h"
#include "skin/core/window_record.h"

#include <utility>

namespace skin {

EngineState Engine;
std::unique_ptr<SkinEngine> TheSkin;

SkinEngine::SkinEngine() : operations_(&SkinEngineOperations) {
    WndProcThunk = MakeThunk(3, 4);
    ButtonThunk = MakeThunk(4, 2);
    ButtonThunkAddress = ThunkAddress(ButtonThunk);
    Engine.ThemeColour = GetSysColor(COLOR_BTNFACE);
}

SkinEngine::SkinEngine(CopyTag, const SkinEngine& source)
    : WndProcThunk(source.WndProcThunk.Copy()), FrameWidth(source.FrameWidth),
      HotCaptionButton(source.HotCaptionButton), ButtonThunk(source.ButtonThunk.Copy()),
      ButtonThunkAddress(source.ButtonThunkAddress), operations_(source.operations_) {}

SkinEngine::~SkinEngine() {
    // A copy's thunk may run a window too (a copy can skin windows); it goes with the copy.
    UnskinWindowsRunning(ThunkAddress(WndProcThunk));
}

MethodThunk SkinEngine::MakeThunk(int methodNumber, int argumentCount, bool passEcx,
                                  bool callerCleans) const {
    return MethodThunk::Make(this, *operations_, methodNumber, argumentCount, passEcx,
                             callerCleans);
}

void SkinEngine::Destroy() {
    // Windows still skinned get their own procedures back before the thunk they run is freed,
    // and their records go while GDI+ is still up.
    UnskinWindowsRunning(ThunkAddress(WndProcThunk));
    if (Engine.AppIcon != nullptr) DestroyIcon(std::exchange(Engine.AppIcon, nullptr));
    if (const ULONG_PTR token = std::exchange(Engine.PlusToken, 0); token != 0)
        plus::ShutdownGdiPlus(token);
    WndProcThunk = MethodThunk();
    ButtonThunk = MethodThunk();
    ButtonThunkAddress = 0;
}

std::unique_ptr<SkinEngine> SkinEngine::Copy() const {
    return std::unique_ptr<SkinEngine>(new SkinEngine(CopyTag{}, *this));
}

COLORREF SkinEngine::GetThemeColour() const {
    return Engine.ThemeColour;
}

int FindWindowPosition(HWND window) {
    for (std::size_t i = 0; i < Engine.WindowList.size(); ++i)
        if (Engine.WindowList[i]->Window == window) return static_cast<int>(i + 1);
    return 0;
}

WindowRecord* RecordAt(int position) {
    if (position < 1 || static_cast<std::size_t>(position) > Engine.WindowList.size())
        return nullptr;
    return Engine.WindowList[static_cast<std::size_t>(position - 1)].get();
}

int SkinnedPosition(HWND window) {
    if (window == nullptr) return 0;
    const LONG_PTR value = GetPropValue(window, kPropPosition);
    if (value < 1 || value > static_cast<LONG_PTR>(Engine.WindowList.size())) return 0;
    const int position = static_cast<int>(value);
    return RecordAt(position)->Window == window ? position : 0;
}

int AppendWindowRecord(std::unique_ptr<WindowRecord> record) {
    Engine.WindowList.push_back(std::move(record));
    return static_cast<int>(Engine.WindowList.size());
}

void CreateTheSkin() {
    TheSkin = std::make_unique<SkinEngine>();
    Engine.WindowList.clear();
}

void SetStartupOptions() {
    Engine.FirstPaint = 1;
    Engine.ControlSkinsEnabled = 1;
    Engine.ControlAlpha = 160;
    Engine.AccentColour = kDefaultAccentColour;
    Engine.TrackBarFrame = 1;
}

void DestroyTheSkin() {
    // Windows still skinned are un-skinned, and records go first: whatever a record still owns
    // is released while GDI+ is still up.
    if (TheSkin) UnskinWindowsRunning(ThunkAddress(TheSkin->WndProcThunk));
    Engine.WindowList.clear();
    ReleaseAllBackgrounds();
    Engine.ThemeImage.clear();
    Engine.ThemePicture = BackgroundPicture{};
    if (TheSkin) {
        TheSkin->Destroy();
        TheSkin.reset();
    }
}

} // namespace skin
