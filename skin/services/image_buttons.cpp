// The image-button operations of the skin engine: a push button registered here keeps its
// record in its skinned window's button list and is painted by the single-image or the
// state-image face.
#include "skin/controls/buttons.h"
#include "skin/controls/framework.h"
#include "skin/core/capture.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"

namespace skin {
namespace {

// The button's record in the button list of the skinned window above it (taken or made when
// the button is not listed yet); null when no window up its parent chain is skinned.
// `registered` tells whether the button was listed before.
ButtonRecord* ImageButtonRecord(HWND button, int& windowIndex, int& position, bool& registered) {
    if (!IsWindow(button)) return nullptr;
    windowIndex = NearestSkinnedAncestor(button);
    WindowRecord* owner = RecordAt(windowIndex);
    if (!owner) return nullptr;
    position = FindRecord(owner->Buttons, button);
    registered = position != 0;
    if (!registered) position = TakeRecord(owner->Buttons);
    return owner->Buttons[static_cast<size_t>(position - 1)].get();
}

void SetTooltip(ButtonRecord& record, HWND button, const std::optional<std::string>& text) {
    if (!text || text->empty()) return;
    if (record.Tooltip->GetTooltipWindow()) {
        record.Tooltip->UpdateTipText(1, *text);
        return;
    }
    RECT client{};
    GetClientRect(button, &client);
    record.Tooltip.Create(button);
    record.Tooltip->AddTool(client, *text, 1);
}

// The steps after the fields: owner-drawn style, and the subclassing of a new button.
void FinishRegistration(ButtonRecord& record, HWND button, int windowIndex, int position,
                        bool registered) {
    SetWindowLongA(button, GWL_STYLE, GetWindowLongA(button, GWL_STYLE) | BS_OWNERDRAW);
    if (!registered) {
        // A button that was not among the skinned ones has no font read yet.
        StoreButtonFont(record, button);
        record.SavedProcedure = SubclassControl(button, position, windowIndex, ButtonProc);
    }
    // The new face is shown now rather than at the button's next paint.
    InvalidateRect(button, nullptr, TRUE);
}

} // namespace

bool SkinEngine::SkinImageButton(HWND button, const ByteSet& image, int layoutValue,
                                 std::optional<std::string> tooltip) {
    int windowIndex = 0, position = 0;
    bool registered = false;
    ButtonRecord* record = ImageButtonRecord(button, windowIndex, position, registered);
    if (!record) return false;
    record->Window = button;
    record->Kind = kButtonSingleImageFace;
    record->Images[kImageNormal] = image;
    record->Layout = layoutValue;
    record->Caption = WindowTextOf(button);
    SetTooltip(*record, button, tooltip);
    FinishRegistration(*record, button, windowIndex, position, registered);
    return true;
}

bool SkinEngine::SkinStateImageButton(HWND button, const ByteSet& normal, const ByteSet& hot,
                                      const ByteSet& pressed, const ByteSet& disabled,
                                      std::optional<std::string> tooltip) {
    int windowIndex = 0, position = 0;
    bool registered = false;
    ButtonRecord* record = ImageButtonRecord(button, windowIndex, position, registered);
    if (!record) return false;
    record->Window = button;
    record->Kind = kButtonStateImageFace;
    record->Images[kImageNormal] = normal;
    record->Images[kImageHot] = hot;
    record->Images[kImagePressed] = pressed;
    record->Images[kImageDisabled] = disabled;
    SetTooltip(*record, button, tooltip);
    FinishRegistration(*record, button, windowIndex, position, registered);
    return true;
}

} // namespace skin
