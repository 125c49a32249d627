// The skin engine's table of operations, in slot order. A thunk made for entry n (slot n-1)
// calls the operation here.
#include "skin/core/skin_engine.h"

namespace skin {

const OperationTable SkinEngineOperations = {
    MakeOperationEntry<&SkinEngine::Destroy>(),                      // 0  destroy
    MakeOperationEntry<&SkinEngine::Copy>(),                         // 1  copy
    MakeOperationEntry<&SkinEngine::WindowProc>(),                   // 2  WindowProc
    MakeOperationEntry<&SkinEngine::CaptionButtonAction>(),          // 3  CaptionButtonAction
    MakeOperationEntry<&SkinEngine::SkinWindow>(),                   // 4  SkinWindow
    MakeOperationEntry<&SkinEngine::AddCaptionButton>(),             // 5 AddCaptionButton
    MakeOperationEntry<&SkinEngine::SetTitleStyle>(),                // 6 SetTitleStyle
    MakeOperationEntry<&SkinEngine::SetWindowBackground>(),          // 7  SetWindowBackground
    MakeOperationEntry<&SkinEngine::SetTheme>(),                     // 8  SetTheme
    MakeOperationEntry<&SkinEngine::SetControlOptions>(),            // 9  SetControlOptions
    MakeOperationEntry<&SkinEngine::RebuildBackground>(),            // 10 RebuildBackground
    MakeOperationEntry<&SkinEngine::ShowBackBuffer>(),               // 11 ShowBackBuffer
    MakeOperationEntry<&SkinEngine::PaintBackground>(),              // 12 PaintBackground
    MakeOperationEntry<&SkinEngine::PaintBorder>(),                  // 13 PaintBorder
    MakeOperationEntry<&SkinEngine::PaintCaptionButtonSeparators>(), // 14
                                                                     // PaintCaptionButtonSeparators
    MakeOperationEntry<&SkinEngine::RestoreCaptionRect>(),           // 15 RestoreCaptionRect
    MakeOperationEntry<&SkinEngine::RestoreStatusRect>(),            // 16 RestoreStatusRect
    MakeOperationEntry<&SkinEngine::PaintCaptionButton>(),           // 17 PaintCaptionButton
    MakeOperationEntry<&SkinEngine::PaintCaptionButtonState>(),      // 18 PaintCaptionButtonState
    MakeOperationEntry<&SkinEngine::LayoutCaptionButtons>(),         // 19 LayoutCaptionButtons
    MakeOperationEntry<&SkinEngine::HitTestCaptionButton>(),         // 20 HitTestCaptionButton
    MakeOperationEntry<&SkinEngine::FindMaximizeButton>(),           // 21 FindMaximizeButton
    MakeOperationEntry<&SkinEngine::BeginFrameDrag>(),               // 22 BeginFrameDrag
    MakeOperationEntry<&SkinEngine::UpdateFrameCursor>(),            // 23 UpdateFrameCursor
    MakeOperationEntry<&SkinEngine::SetHandlerA>(),                  // 24 SetHandlerA
    MakeOperationEntry<&SkinEngine::SetHandlerB>(),                  // 25 SetHandlerB
    MakeOperationEntry<&SkinEngine::PaintTitle>(),                   // 26 PaintTitle
    MakeOperationEntry<&SkinEngine::CreateStatusBar>(),              // 27 CreateStatusBar
    MakeOperationEntry<&SkinEngine::LayoutStatusBar>(),              // 28 LayoutStatusBar
    MakeOperationEntry<&SkinEngine::PaintStatusPane>(),              // 29 PaintStatusPane
    MakeOperationEntry<&SkinEngine::SetStatusPane>(),                // 30 SetStatusPane
    MakeOperationEntry<&SkinEngine::SetStatusStyle>(),               // 31 SetStatusStyle
    MakeOperationEntry<&SkinEngine::SkinImageButton>(),              // 32 SkinImageButton
    MakeOperationEntry<&SkinEngine::SkinStateImageButton>(),         // 33 SkinStateImageButton
    MakeOperationEntry<&SkinEngine::SkinContainer>(),                // 34 SkinContainer
    MakeOperationEntry<&SkinEngine::SetContainerAlpha>(),            // 35 SetContainerAlpha
    MakeOperationEntry<&SkinEngine::GetCaptionButtonsRect>(),        // 36 GetCaptionButtonsRect
    MakeOperationEntry<&SkinEngine::SkinCommonControl>(),            // 37 SkinCommonControl
    MakeOperationEntry<&SkinEngine::LayoutDockedWindows>(),          // 38 LayoutDockedWindows
    MakeOperationEntry<&SkinEngine::SetControlTextColour>(),         // 39 SetControlTextColour
    MakeOperationEntry<&SkinEngine::GetThemeColour>(),               // 40 GetThemeColour
    MakeOperationEntry<&SkinEngine::SetSystemButtonImages>(),        // 41 SetSystemButtonImages
};

} // namespace skin
