#include "settings/ExposureSetting.h"

namespace scanora {

bool ExposureSetting::Read(LineReader& in)
{
    return ReadSection(in, kEndKey, [this](std::string_view key, std::string_view value) {
        return ReadOwnKey(key, value);
    });
}

bool ExposureSetting::ReadOwnKey(std::string_view key, std::string_view value)
{
    double* field = nullptr;
    if (key == "ev")
        field = &ev_;
    else if (key == "NeutralRed")
        field = &neutralRed_;
    else if (key == "NeutralGreen")
        field = &neutralGreen_;
    else if (key == "NeutralBlue")
        field = &neutralBlue_;
    else if (key == "FilterRed")
        field = &filterRed_;
    else if (key == "FilterGreen")
        field = &filterGreen_;
    else if (key == "FilterBlue")
        field = &filterBlue_;
    else
        return false;
    Assign(*field, ParseReal(value));
    return true;
}

void ExposureSetting::Write(OutputStream& out) const
{
    // Only the name of the common lines: an exposure is always changeable once read back.
    WriteLine(out, kBeginKey);
    WriteQuoted(out, "SettingName", GetName());
    WriteReal(out, "ev", ev_);
    WriteReal(out, "NeutralRed", neutralRed_);
    WriteReal(out, "NeutralGreen", neutralGreen_);
    WriteReal(out, "NeutralBlue", neutralBlue_);
    WriteReal(out, "FilterRed", filterRed_);
    WriteReal(out, "FilterGreen", filterGreen_);
    WriteReal(out, "FilterBlue", filterBlue_);
    WriteLine(out, kEndKey);
}

void ExposureSetting::SetValues(const std::array<double, 3>& gains,
                                const std::array<double, 3>& filters, std::int32_t lineTimeStep)
{
    ev_ = gains[1] + filters[1];
    neutralRed_ = gains[0];
    neutralGreen_ = gains[1];
    neutralBlue_ = gains[2];
    filterRed_ = filters[0];
    filterGreen_ = filters[1];
    filterBlue_ = filters[2];
    lineTimeStep_ = lineTimeStep;
}

}  // namespace scanora
