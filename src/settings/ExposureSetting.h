#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "settings/QVSetting.h"

namespace scanora {

// A named exposure: the ev and the neutral (colour balance) and filter values of the exposure
// tool, kept as a "BeginExposureSetting" section. The section has no "Changeable" line, so every
// exposure read from a file is changeable.
class ExposureSetting final : public QVSetting {
public:
    static constexpr std::string_view kBeginKey = "BeginExposureSetting";
    static constexpr std::string_view kEndKey = "EndExposureSetting";

    ExposureSetting() : QVSetting(SettingKind::Exposure) {}

    bool Read(LineReader& in) override;
    void Write(OutputStream& out) const override;

    [[nodiscard]] double GetEv() const { return ev_; }
    void SetEv(double ev) { ev_ = ev; }
    [[nodiscard]] double GetNeutralRed() const { return neutralRed_; }
    void SetNeutralRed(double value) { neutralRed_ = value; }
    [[nodiscard]] double GetNeutralGreen() const { return neutralGreen_; }
    void SetNeutralGreen(double value) { neutralGreen_ = value; }
    [[nodiscard]] double GetNeutralBlue() const { return neutralBlue_; }
    void SetNeutralBlue(double value) { neutralBlue_ = value; }
    [[nodiscard]] double GetFilterRed() const { return filterRed_; }
    void SetFilterRed(double value) { filterRed_ = value; }
    [[nodiscard]] double GetFilterGreen() const { return filterGreen_; }
    void SetFilterGreen(double value) { filterGreen_ = value; }
    [[nodiscard]] double GetFilterBlue() const { return filterBlue_; }
    void SetFilterBlue(double value) { filterBlue_ = value; }
    // The exposure tool's line time step when the record was made; never stored in a file.
    [[nodiscard]] std::int32_t GetLineTimeStep() const { return lineTimeStep_; }
    void SetLineTimeStep(std::int32_t step) { lineTimeStep_ = step; }

    // Takes the exposure tool's state: red, green and blue gains and filters in stops and the
    // line time step. The level kept is the green channel's total gain, the level the tool shows.
    void SetValues(const std::array<double, 3>& gains, const std::array<double, 3>& filters,
                   std::int32_t lineTimeStep);

private:
    bool ReadOwnKey(std::string_view key, std::string_view value);

    double ev_ = 0;
    double neutralRed_ = 0;
    double neutralGreen_ = 0;
    double neutralBlue_ = 0;
    double filterRed_ = 0;
    double filterGreen_ = 0;
    double filterBlue_ = 0;
    std::int32_t lineTimeStep_ = -1;
};

}  // namespace scanora
