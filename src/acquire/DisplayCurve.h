#pragma once

#include "settings/CurveSource.h"

namespace scanora {

class CaptureTools;
class ColorCorrectingToneCurve;

// Makes `out` the curve the preview's 8-bit display copy is converted through: the current
// curve's handles and negative flag over the preview's 16-bit samples. With the curve switched
// off ("None14") while the colour profile is embedded, the curve passes the gained samples
// through instead and the display shows their low eight bits.
void BuildDisplayCurve(const CurveState& curve, bool embedProfile, ColorCorrectingToneCurve& out);
// The same for the program's current curve and its "EmbedICCProfile" preference.
void BuildDisplayCurve(const CaptureTools& app, ColorCorrectingToneCurve& out);
// The same from the live curve, whose table is current: `out` becomes a copy of it, and only the
// pass-through case builds a table of its own.
void CopyDisplayCurve(const ColorCorrectingToneCurve& live, bool none14, bool embedProfile,
                      ColorCorrectingToneCurve& out);

}  // namespace scanora
