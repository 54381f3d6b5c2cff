#include "context/AppSettingTools.h"

#include "camera/QVExposure.h"
#include "context/HeldSettingTools.h"

namespace scanora {

void AppSettingTools::Capture(SizeSetting& record) const
{
    held_.Capture(record);
}

void AppSettingTools::Capture(ExposureSetting& record) const
{
    exposure_.Capture(record);
}

void AppSettingTools::Capture(CurveSetting& record) const
{
    held_.Capture(record);
}

void AppSettingTools::Capture(HistogramSetting& record) const
{
    held_.Capture(record);
}

bool AppSettingTools::IsNone14Mode() const
{
    return held_.IsNone14Mode();
}

void AppSettingTools::Apply(SizeSetting& record)
{
    held_.Apply(record);
}

void AppSettingTools::Apply(const ExposureSetting& record)
{
    exposure_.Apply(record);
}

void AppSettingTools::Apply(const CurveSetting& record)
{
    held_.Apply(record);
}

void AppSettingTools::Apply(const HistogramSetting& record)
{
    held_.Apply(record);
}

}  // namespace scanora
