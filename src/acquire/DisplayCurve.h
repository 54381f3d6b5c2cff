#pragma once

#include "settings/HeldSettingTools.h"

namespace scanora {

class ColorCorrectingToneCurve;

// Makes `out` the curve the preview's 8-bit display copy is converted through: the current
// curve's handles and negative flag over the preview's 16-bit samples.
void BuildDisplayCurve(const HeldSettingTools::CurveState& curve, ColorCorrectingToneCurve& out);

}  // namespace scanora
