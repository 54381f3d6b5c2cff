#include "settings/SizeSetting.h"

#include "settings/InsertRotation.h"
#include "settings/SizeUnits.h"

#include <array>
#include <utility>

namespace scanora {
namespace {

using CodeText = std::pair<std::int32_t, std::string_view>;

constexpr std::array<CodeText, 4> kRotationTexts{{
    {InsertRotation::kFromLeft, "From Left"},
    {InsertRotation::kFromTop, "From Top"},
    {InsertRotation::kFromRight, "From Right"},
    {InsertRotation::kFromBottom, "From Bottom"},
}};

constexpr std::array<CodeText, 7> kUnitWords{{
    {SizeUnits::kPixels, "pixels"},
    {SizeUnits::kInches, "inches"},
    {SizeUnits::kMillimeters, "millimeters"},
    {SizeUnits::kCentimeters, "centimeters"},
    {SizeUnits::kMeters, "meters"},
    {SizeUnits::kFeet, "feet"},
    {SizeUnits::kFurlongs, "furlongs"},
}};

template <std::size_t N>
std::string_view TextOf(const std::array<CodeText, N>& table, std::int32_t code,
                        std::string_view otherwise)
{
    for (const auto& [tableCode, text] : table) {
        if (tableCode == code)
            return text;
    }
    return otherwise;
}

template <std::size_t N>
std::int32_t CodeOf(const std::array<CodeText, N>& table, std::string_view text,
                    std::int32_t otherwise)
{
    for (const auto& [code, tableText] : table) {
        if (tableText == text)
            return code;
    }
    return otherwise;
}

}  // namespace

std::string_view SizeSetting::InsertRotationText(std::int32_t code)
{
    return TextOf(kRotationTexts, code, "");
}

std::int32_t SizeSetting::InsertRotationFromText(std::string_view text)
{
    return CodeOf(kRotationTexts, text, InsertRotation::kFromTop);
}

std::string_view SizeSetting::UnitWord(std::int32_t code)
{
    return TextOf(kUnitWords, code, "furlongs");
}

std::int32_t SizeSetting::UnitFromWord(std::string_view word)
{
    return CodeOf(kUnitWords, word, SizeUnits::kInches);
}

bool SizeSetting::Read(LineReader& in)
{
    return ReadSection(in, kEndKey, [this](std::string_view key, std::string_view value) {
        return ReadOwnKey(key, value);
    });
}

bool SizeSetting::ReadOwnKey(std::string_view key, std::string_view value)
{
    SizeValues& v = values_;
    if (key == "OutputWidth")
        Assign(v.outputWidth, ParseReal(value));
    else if (key == "OutputHeight")
        Assign(v.outputHeight, ParseReal(value));
    else if (key == "WidthOffsetPercent")
        Assign(v.widthOffsetPercent, ParseReal(value));
    else if (key == "HeightOffsetPercent")
        Assign(v.heightOffsetPercent, ParseReal(value));
    else if (key == "ResNumber")
        Assign(v.resolutionNumber, ParseReal(value));
    else if (key == "InsertRotation")
        v.insertRotation = InsertRotationFromText(ExtractQuoted(value));
    else if (key == "Resolution")
        Assign(v.resolution, ParseReal(value));
    else if (key == "Units")
        v.units = UnitFromWord(ParseWord(value));
    else if (key == "ResUnits")
        v.resolutionUnits = UnitFromWord(ParseWord(value));
    else if (key == "FileSizeLocked")
        v.fileSizeLocked = ParseBool(value);
    else if (key == "CropRatioLocked")
        v.cropRatioLocked = ParseBool(value);
    else
        return false;
    return true;
}

void SizeSetting::Write(OutputStream& out) const
{
    const SizeValues& v = values_;
    WriteLine(out, kBeginKey);
    QVSetting::Write(out);
    WriteReal(out, "OutputWidth", v.outputWidth);
    WriteReal(out, "OutputHeight", v.outputHeight);
    WriteReal(out, "WidthOffsetPercent", v.widthOffsetPercent);
    WriteReal(out, "HeightOffsetPercent", v.heightOffsetPercent);
    WriteReal(out, "ResNumber", v.resolutionNumber);
    WriteQuoted(out, "InsertRotation", InsertRotationText(v.insertRotation));
    WriteReal(out, "Resolution", v.resolution);
    WriteRaw(out, "Units", UnitWord(v.units));
    WriteRaw(out, "ResUnits", UnitWord(v.resolutionUnits));
    WriteBool(out, "CropRatioLocked", v.cropRatioLocked);
    WriteBool(out, "FileSizeLocked", v.fileSizeLocked);
    WriteLine(out, kEndKey);
}

}  // namespace scanora
