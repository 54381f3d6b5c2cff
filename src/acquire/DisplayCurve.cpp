#include "acquire/DisplayCurve.h"

#include "acquire/CaptureTools.h"
#include "imaging/ColorCorrectingToneCurve.h"
#include "settings/QVCameraSetting.h"

namespace scanora {

void BuildDisplayCurve(const CurveState& curve, bool embedProfile, ColorCorrectingToneCurve& out)
{
    out.SetHandles(curve.handles);
    out.SetNegative(curve.negative);
    out.SetRawBits(16);
    out.SetSixteenBit(false);
    out.SetPassThrough(curve.none14 && embedProfile);
    out.BuildRawTable();
}

void BuildDisplayCurve(const CaptureTools& app, ColorCorrectingToneCurve& out)
{
    BuildDisplayCurve(app.Curve().CurrentCurve(), app.CameraSetting().Prefs().embedICCProfile, out);
}

}  // namespace scanora
