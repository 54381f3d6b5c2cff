#pragma once

#include <cstdint>
#include <string_view>

#include "settings/QVSetting.h"
#include "settings/SizeValues.h"

namespace scanora {

// A named output size: the crop offsets, sampling step, insert rotation, output size and units
// of the output geometry at the moment the record was made, kept as a "BeginSizeSetting"
// section. Rotations are written as their text ("From Left") and units as their word
// ("inches"); an unknown text reads as From Top and an unknown word as inches.
class SizeSetting final : public QVSetting {
public:
    static constexpr std::string_view kBeginKey = "BeginSizeSetting";
    static constexpr std::string_view kEndKey = "EndSizeSetting";

    SizeSetting() : QVSetting(SettingKind::Size) {}

    bool Read(LineReader& in) override;
    void Write(OutputStream& out) const override;

    [[nodiscard]] const SizeValues& GetValues() const { return values_; }
    void SetValues(const SizeValues& values) { values_ = values; }

    // "From Left" ... "From Bottom"; empty for a code that is not a rotation.
    static std::string_view InsertRotationText(std::int32_t code);
    // The rotation of a text; a text that is not one of the four gives From Top.
    static std::int32_t InsertRotationFromText(std::string_view text);
    // "pixels", "inches", ...; "furlongs" for every code not in the table (so code 2 reads back
    // as 8).
    static std::string_view UnitWord(std::int32_t code);
    // The unit of a word; a word that is not in the table gives inches.
    static std::int32_t UnitFromWord(std::string_view word);

private:
    bool ReadOwnKey(std::string_view key, std::string_view value);

    SizeValues values_;
};

}  // namespace scanora
