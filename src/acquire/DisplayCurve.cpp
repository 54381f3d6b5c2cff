#include "acquire/DisplayCurve.h"

#include "acquire/AppContext.h"
#include "imaging/ColorCorrectingToneCurve.h"
#include "settings/QVCameraSetting.h"

namespace scanora {

void BuildDisplayCurve(const HeldSettingTools::CurveState& curve, bool embedProfile,
                       ColorCorrectingToneCurve& out)
{
    out.SetHandles(curve.handles);
    out.SetNegative(curve.negative);
    out.SetRawBits(16);
    out.SetSixteenBit(false);
    out.SetPassThrough(curve.none14 && embedProfile);
    out.BuildRawTable();
}

void BuildDisplayCurve(AppContext& app, ColorCorrectingToneCurve& out)
{
    BuildDisplayCurve(app.HeldTools().CurrentCurve(), app.CameraSetting().Prefs().embedICCProfile,
                      out);
}

}  // namespace scanora
