#include "acquire/DisplayCurve.h"

#include "acquire/CaptureTools.h"
#include "imaging/ColorCorrectingToneCurve.h"
#include "settings/QVCameraSetting.h"

namespace scanora {

namespace {

// Without a curve the embedded profile is shown over the samples themselves.
bool PassesThrough(bool none14, bool embedProfile)
{
    return none14 && embedProfile;
}

}  // namespace

void BuildDisplayCurve(const CurveState& curve, bool embedProfile, ColorCorrectingToneCurve& out)
{
    out.SetHandles(curve.handles);
    out.SetNegative(curve.negative);
    out.SetRawBits(16);
    out.SetSixteenBit(false);
    out.SetPassThrough(PassesThrough(curve.none14, embedProfile));
    out.BuildRawTable();
}

void CopyDisplayCurve(const ColorCorrectingToneCurve& live, bool none14, bool embedProfile,
                      ColorCorrectingToneCurve& out)
{
    out = live;
    const bool passThrough = PassesThrough(none14, embedProfile);
    // The live curve holds a byte table over all 16-bit samples; any other table is built here.
    if (passThrough || live.IsPassThrough() || live.IsSixteenBit() || live.RawBits() != 16) {
        out.SetRawBits(16);
        out.SetSixteenBit(false);
        out.SetPassThrough(passThrough);
        out.BuildRawTable();
    }
}

void BuildDisplayCurve(const CaptureTools& app, ColorCorrectingToneCurve& out)
{
    BuildDisplayCurve(app.Curve().CurrentCurve(), app.CameraSetting().Prefs().embedICCProfile, out);
}

}  // namespace scanora
