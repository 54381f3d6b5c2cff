#include "camera/CaptureExposureValues.h"

#include "camera/QVExposure.h"

namespace scanora {

CaptureExposureValues CaptureExposureValues::For(const QVExposure& exposure, CaptureKind kind,
                                                 bool fastPrescan, int scanSizeStep,
                                                 int minSizeStep)
{
    CaptureExposureValues values;
    values.requestedLineTime = exposure.GetRequestedLineTime();
    for (const Channel channel : {Channel::Red, Channel::Green, Channel::Blue})
        values.settingTenths[ChannelIndex(channel)] = exposure.GetTotalTenths(channel);
    values.totalTenths = values.settingTenths;
    if (kind == CaptureKind::Scan) {
        values.minLineTime = exposure.MinLineTimeForStep(scanSizeStep);
        values.effectiveLineTime = exposure.GetEffectiveLineTime();
        return values;
    }
    values.minLineTime = exposure.MinLineTimeForStep(minSizeStep);
    values.effectiveLineTime = exposure.GetPrescanLineTime();
    if (fastPrescan) {
        const FastPrescanExposure fast = exposure.GetFastPrescanExposure();
        values.requestedLineTime = fast.lineTime;
        values.totalTenths = fast.totalTenths;
    }
    return values;
}

}  // namespace scanora
