// Caption buttons, window dragging and edge resizing. The operations (AddCaptionButton,
// LayoutCaptionButtons, HitTestCaptionButton, FindMaximizeButton, PaintCaptionButton,
// PaintCaptionButtonState, PaintCaptionButtonSeparators, BeginFrameDrag, UpdateFrameCursor,
// SetHandlerA, SetHandlerB, GetCaptionButtonsRect, SetSystemButtonImages) are SkinEngine
// members; the records are in skin/core/composition_types.h.
#pragma once

namespace skin {

// Distance between the left edges of neighbouring caption buttons; every button added after
// install widens the reserved row by this much.
inline constexpr int kCaptionButtonPitch = 27;

} // namespace skin
