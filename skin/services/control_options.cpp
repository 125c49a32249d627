// Control options and the theme colour read-back.
#include "skin/core/skin_engine.h"

#include <algorithm>

namespace skin {

void SkinEngine::SetControlOptions(int skinControls, std::optional<int> controlAlpha,
                                   std::optional<int> trackBarFrame) {
    Engine.ControlSkinsEnabled = skinControls;
    // A given alpha, 0 included, is what turns the translucent look on.
    Engine.TranslucentControls = controlAlpha.has_value() ? 1 : 0;
    // The wash alpha is one byte; out-of-range values are clamped rather than wrapped.
    Engine.ControlAlpha = std::clamp(controlAlpha.value_or(160), 0, 255);
    Engine.TrackBarFrame = trackBarFrame.value_or(1);
}

} // namespace skin
