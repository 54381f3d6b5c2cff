#pragma once

#include "settings/SettingTools.h"

namespace scanora {

class HeldSettingTools;
class QVExposure;

// The program's setting tools: size, tone curve and histogram records go to the tools that hold
// them, exposure records to the live exposure object.
class AppSettingTools final : public SettingTools {
public:
    AppSettingTools(HeldSettingTools& held, QVExposure& exposure) : held_(held), exposure_(exposure)
    {
    }

    void Capture(SizeSetting& record) const override;
    void Capture(ExposureSetting& record) const override;
    void Capture(CurveSetting& record) const override;
    void Capture(HistogramSetting& record) const override;
    [[nodiscard]] bool IsNone14Mode() const override;

    void Apply(SizeSetting& record) override;
    void Apply(const ExposureSetting& record) override;
    void Apply(const CurveSetting& record) override;
    void Apply(const HistogramSetting& record) override;

private:
    HeldSettingTools& held_;
    QVExposure& exposure_;
};

}  // namespace scanora
