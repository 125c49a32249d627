// The image-button operations of the skin engine: a push button registered here keeps its
// record in its skinned window's button list and is painted by the single-image or the
// state-image face.
#include "skin/controls/buttons.h"
#include "skin/controls/framework.h"
#include "skin/core/capture.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"

#include <optional>
#include <string>

namespace skin {
namespace {

// Where an image button's record lives: the button list of the skinned window above it.
struct Registration {
    ButtonRecord* record;
    int windowIndex;
    int position;
    bool listed; // the button was in the list before
};

// The button's record in the button list of the skinned window above it (taken when the button
// is not listed yet); nothing when no window up its parent chain is skinned.
std::optional<Registration> Register(HWND button) {
    if (!IsWindow(button)) return std::nullopt;
    const int windowIndex = NearestSkinnedAncestor(button);
    WindowRecord* owner = RecordAt(windowIndex);
    if (!owner) return std::nullopt;
    const int found = FindRecord(owner->Buttons, button);
    const int position = found != 0 ? found : TakeRecord(owner->Buttons);
    return Registration{owner->Buttons[static_cast<size_t>(position - 1)].get(), windowIndex,
                        position, found != 0};
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
void FinishRegistration(const Registration& r, HWND button) {
    SetWindowLongA(button, GWL_STYLE, GetWindowLongA(button, GWL_STYLE) | BS_OWNERDRAW);
    if (!r.listed) {
        // A button that was not among the skinned ones has no font read yet.
        StoreButtonFont(*r.record, button);
        r.record->SavedProcedure = SubclassControl(button, r.position, r.windowIndex, ButtonProc);
    }
    // The new face is shown now rather than at the button's next paint.
    InvalidateRect(button, nullptr, TRUE);
}

} // namespace

bool SkinEngine::SkinImageButton(HWND button, const ByteSet& image, int layoutValue,
                                 std::optional<std::string> tooltip) {
    const std::optional<Registration> r = Register(button);
    if (!r) return false;
    ButtonRecord& record = *r->record;
    record.Window = button;
    record.Kind = kButtonSingleImageFace;
    record.Images[kImageNormal] = image;
    record.Layout = layoutValue;
    record.Caption = WindowTextOf(button);
    SetTooltip(record, button, tooltip);
    FinishRegistration(*r, button);
    return true;
}

bool SkinEngine::SkinStateImageButton(HWND button, const ByteSet& normal, const ByteSet& hot,
                                      const ByteSet& pressed, const ByteSet& disabled,
                                      std::optional<std::string> tooltip) {
    const std::optional<Registration> r = Register(button);
    if (!r) return false;
    ButtonRecord& record = *r->record;
    record.Window = button;
    record.Kind = kButtonStateImageFace;
    record.Images[kImageNormal] = normal;
    record.Images[kImageHot] = hot;
    record.Images[kImagePressed] = pressed;
    record.Images[kImageDisabled] = disabled;
    SetTooltip(record, button, tooltip);
    FinishRegistration(*r, button);
    return true;
}

} // namespace skin
