#include "settings/CurveSetting.h"

#include <algorithm>

#include "settings/ValueScanner.h"

namespace scanora {

std::int16_t CurveSetting::ClampCoordinate(long value)
{
    return static_cast<std::int16_t>(std::clamp<long>(value, 0, kMaxCoordinate));
}

void CurveSetting::SetHandles(std::span<const Handle> handles)
{
    const std::size_t count = std::min(handles.size(), kMaxHandles);
    for (std::size_t i = 0; i < count; ++i)
        handles_[i] = {ClampCoordinate(handles[i].x), ClampCoordinate(handles[i].y)};
    handleCount_ = static_cast<std::int16_t>(count);
}

std::string CurveSetting::FormatHandles(std::span<const Handle> handles)
{
    std::string text = std::to_string(handles.size()) + "  ";
    for (const Handle& handle : handles)
        text += std::to_string(handle.x) + ' ' + std::to_string(handle.y) + "  ";
    return text;
}

bool CurveSetting::Read(LineReader& in)
{
    return ReadSection(in, kEndKey, [this](std::string_view key, std::string_view value) {
        return ReadOwnKey(key, value);
    });
}

bool CurveSetting::ReadOwnKey(std::string_view key, std::string_view value)
{
    if (key == "ToneCurve")
        ReadToneCurve(value);
    else if (key == "BlackOnTop")
        blackOnTop_ = ParseBool(value);
    else if (key == "None14")
        none14_ = ParseBool(value);
    else if (key == "Negative")
        negative_ = ParseBool(value);
    else
        return false;
    return true;
}

void CurveSetting::ReadToneCurve(std::string_view value)
{
    // The count, then that many "x y" pairs, separated by any white space. A count beyond the
    // record's seven handles reads the first seven; a list that breaks off leaves the handles
    // after the break as they were.
    ValueScanner scanner(value);
    const auto count = scanner.NextInt16();
    if (!count)
        return;
    handleCount_ = std::clamp<std::int16_t>(*count, 0, static_cast<std::int16_t>(kMaxHandles));
    for (std::int16_t i = 0; i < handleCount_; ++i) {
        Handle& handle = handles_[static_cast<std::size_t>(i)];
        const auto x = scanner.NextInt16();
        if (x)
            handle.x = ClampCoordinate(*x);
        const auto y = scanner.NextInt16();
        if (y)
            handle.y = ClampCoordinate(*y);
    }
}

void CurveSetting::Write(OutputStream& out) const
{
    WriteLine(out, kBeginKey);
    QVSetting::Write(out);
    WriteQuoted(out, "Comment:", "Number of handles followed by x, y coords for each handle");
    WriteRaw(out, "ToneCurve", FormatHandles(GetHandles()));
    WriteBool(out, "BlackOnTop", blackOnTop_);
    WriteBool(out, "None14", none14_);
    WriteBool(out, "Negative", negative_);
    WriteLine(out, kEndKey);
}

}  // namespace scanora
