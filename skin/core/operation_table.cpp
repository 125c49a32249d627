// The skin engine's table of operations, in slot order. A thunk made for entry n (slot n-1)
// calls the operation here; an entry stays null until its operation exists.
#include "skin/core/skin_engine.h"

namespace skin {

const OperationTable SkinEngineOperations = {
    MakeOperationEntry<&SkinEngine::Destroy>(),             // 0  destroy
    MakeOperationEntry<&SkinEngine::Copy>(),                // 1  copy
    nullptr,                                                // 2  WindowProc
    nullptr,                                                // 3  CaptionButtonAction
    nullptr,                                                // 4  SkinWindow
    nullptr,                                                // 5  AddCaptionButton
    nullptr,                                                // 6  SetTitleStyle
    MakeOperationEntry<&SkinEngine::SetWindowBackground>(), // 7  SetWindowBackground
    MakeOperationEntry<&SkinEngine::SetTheme>(),            // 8  SetTheme
    MakeOperationEntry<&SkinEngine::SetControlOptions>(),   // 9  SetControlOptions
    nullptr,                                                // 10 RebuildBackground
    nullptr,                                                // 11 ShowBackBuffer
    nullptr,                                                // 12 PaintBackground
    nullptr,                                                // 13 PaintBorder
    nullptr,                                                // 14 PaintCaptionButtonSeparators
    nullptr,                                                // 15 RestoreCaptionRect
    nullptr,                                                // 16 RestoreStatusRect
    nullptr,                                                // 17 PaintCaptionButton
    nullptr,                                                // 18 PaintCaptionButtonState
    nullptr,                                                // 19 LayoutCaptionButtons
    nullptr,                                                // 20 HitTestCaptionButton
    nullptr,                                                // 21 FindMaximizeButton
    nullptr,                                                // 22 BeginFrameDrag
    nullptr,                                                // 23 UpdateFrameCursor
    nullptr,                                                // 24 SetHandlerA
    nullptr,                                                // 25 SetHandlerB
    nullptr,                                                // 26 PaintTitle
    nullptr,                                                // 27 CreateStatusBar
    nullptr,                                                // 28 LayoutStatusBar
    nullptr,                                                // 29 PaintStatusPane
    nullptr,                                                // 30 SetStatusPane
    nullptr,                                                // 31 SetStatusStyle
    nullptr,                                                // 32 SkinImageButton
    nullptr,                                                // 33 SkinStateImageButton
    nullptr,                                                // 34 SkinContainer
    nullptr,                                                // 35 SetContainerAlpha
    nullptr,                                                // 36 GetCaptionButtonsRect
    nullptr,                                                // 37 SkinCommonControl
    nullptr,                                                // 38 LayoutDockedWindows
    nullptr,                                                // 39 SetControlTextColour
    MakeOperationEntry<&SkinEngine::GetThemeColour>(),      // 40 GetThemeColour
    nullptr,                                                // 41 SetSystemButtonImages
};

} // namespace skin
