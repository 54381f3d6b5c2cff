#pragma once

#include <string>
#include <vector>

#include "settings/SettingTools.h"

namespace scanora::test {

// Setting tools that pass everything on to other tools and note each record applied, as
// "curve bent 6 stops" (kind and name; records of the current state have no name).
class RecordingSettingTools final : public SettingTools {
public:
    explicit RecordingSettingTools(SettingTools& tools) : tools_(tools) {}

    void Capture(SizeSetting& record) const override { tools_.Capture(record); }
    void Capture(ExposureSetting& record) const override { tools_.Capture(record); }
    void Capture(CurveSetting& record) const override { tools_.Capture(record); }
    void Capture(HistogramSetting& record) const override { tools_.Capture(record); }
    [[nodiscard]] bool IsNone14Mode() const override { return tools_.IsNone14Mode(); }

    void Apply(SizeSetting& record) override { Note("size", record, tools_); }
    void Apply(const ExposureSetting& record) override { Note("exposure", record, tools_); }
    void Apply(const CurveSetting& record) override { Note("curve", record, tools_); }
    void Apply(const HistogramSetting& record) override { Note("histogram", record, tools_); }

    std::vector<std::string> applied;

private:
    template <typename Record>
    void Note(const std::string& kind, Record& record, SettingTools& tools)
    {
        applied.push_back(kind + " " + record.GetName());
        tools.Apply(record);
    }

    SettingTools& tools_;
};

}  // namespace scanora::test
