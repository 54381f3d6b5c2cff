#pragma once

#include <memory>

#include "settings/CurveSetting.h"
#include "settings/ExposureSetting.h"
#include "settings/HistogramSetting.h"
#include "settings/SizeSetting.h"

namespace scanora {

// The live tools the four kinds of setting record are made from and applied to: the output
// geometry, the exposure, the tone curve and the histogram sliders.
class SettingTools {
public:
    virtual ~SettingTools() = default;

    // Copies the tool's state into a record; its name and changeable flag stay as they are. The
    // curve's none 14 flag stays false: IsNone14Mode says whether the curve is switched off.
    virtual void Capture(SizeSetting& record) const = 0;
    virtual void Capture(ExposureSetting& record) const = 0;
    virtual void Capture(CurveSetting& record) const = 0;
    virtual void Capture(HistogramSetting& record) const = 0;
    // Whether the tone curve is switched off for the 14-bit linear output.
    [[nodiscard]] virtual bool IsNone14Mode() const = 0;

    // Gives the record's values to the tool. A size record is refreshed afterwards with the
    // values actually in force (the camera may not allow all of them).
    virtual void Apply(SizeSetting& record) = 0;
    virtual void Apply(const ExposureSetting& record) = 0;
    virtual void Apply(const CurveSetting& record) = 0;
    virtual void Apply(const HistogramSetting& record) = 0;

    // A new, changeable and unnamed record of the tool's state.
    template <typename Record>
    [[nodiscard]] std::unique_ptr<Record> Create() const
    {
        auto record = std::make_unique<Record>();
        Capture(*record);
        return record;
    }
};

}  // namespace scanora
