#pragma once

#include <cstdint>

namespace scanora {

// What the preferences keep of the exposure tool: the line time table (exact or in step with
// 60 Hz or 50 Hz mains), the line time step, the level step of the ISO control and the size of
// the measuring spot. The exposure tool implements it.
class ExposurePreferences {
public:
    // Line time tables.
    static constexpr int kExactTable = 0;
    static constexpr int k60HzTable = 1;
    static constexpr int k50HzTable = 2;
    // Level steps, in tenths of a decibel: a tenth and a third of a stop.
    static constexpr double kTenthStop = 3.0;
    static constexpr double kThirdStop = 10.0;

    virtual ~ExposurePreferences() = default;

    [[nodiscard]] virtual int GetLineTimeTable() const = 0;
    virtual void SelectLineTimeTable(int table) = 0;
    // The index into the line time list, 0 the longest; the tool keeps it within its range.
    [[nodiscard]] virtual std::int16_t GetLineTimeIndex() const = 0;
    virtual void SetLineTimeIndex(std::int16_t index) = 0;
    virtual void SetLevelStep(double tenthsOfDecibel) = 0;
    // The measuring spot: 1, 3 or 5 pixels square.
    [[nodiscard]] virtual std::int16_t GetSpotWidth() const = 0;
    virtual void SetSpotWidth(std::int16_t width) = 0;
    // Recomputes what depends on the stage (the shortest line times) and refreshes the displays.
    virtual void RefreshDependentValues() = 0;
};

}  // namespace scanora
