#include "acquire/DisplayCurve.h"

#include "imaging/ColorCorrectingToneCurve.h"

namespace scanora {

void BuildDisplayCurve(const HeldSettingTools::CurveState& curve, ColorCorrectingToneCurve& out)
{
    out.SetHandles(curve.handles);
    out.SetNegative(curve.negative);
    out.SetRawBits(16);
    out.SetSixteenBit(false);
    out.BuildRawTable();
}

}  // namespace scanora
