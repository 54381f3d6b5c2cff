#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/CurveHandle.h"
#include "settings/QVSetting.h"

namespace scanora {

// A named tone curve: up to seven handles and the curve's three flags, kept as a
// "BeginCurveSetting" section whose "ToneCurve" line lists the handles.
class CurveSetting final : public QVSetting {
public:
    static constexpr std::string_view kBeginKey = "BeginCurveSetting";
    static constexpr std::string_view kEndKey = "EndCurveSetting";
    static constexpr std::size_t kMaxHandles = 7;
    // Handle coordinates are curve levels.
    static constexpr std::int16_t kMaxCoordinate = 255;

    using Handle = CurveHandle;

    CurveSetting() : QVSetting(SettingKind::Curve) {}

    bool Read(LineReader& in) override;
    void Write(OutputStream& out) const override;

    // The handles in use.
    [[nodiscard]] std::span<const Handle> GetHandles() const
    {
        return std::span(handles_).first(static_cast<std::size_t>(handleCount_));
    }
    [[nodiscard]] std::int16_t GetHandleCount() const { return handleCount_; }
    // Takes the first kMaxHandles handles; coordinates are held to 0..255.
    void SetHandles(std::span<const Handle> handles);

    [[nodiscard]] bool IsBlackOnTop() const { return blackOnTop_; }
    void SetBlackOnTop(bool blackOnTop) { blackOnTop_ = blackOnTop; }
    // The record stands for the 14-bit linear mode instead of a curve.
    [[nodiscard]] bool IsNone14() const { return none14_; }
    void SetNone14(bool none14) { none14_ = none14; }
    [[nodiscard]] bool IsNegative() const { return negative_; }
    void SetNegative(bool negative) { negative_ = negative; }

    // The value of the "ToneCurve" line: the count, two spaces, then "x y" and two spaces for
    // each handle ("7  30 3  80 28  ...  230 255  ").
    static std::string FormatHandles(std::span<const Handle> handles);
    // A coordinate from a file, held to 0..255.
    static std::int16_t ClampCoordinate(long value);

private:
    bool ReadOwnKey(std::string_view key, std::string_view value);
    void ReadToneCurve(std::string_view value);

    std::array<Handle, kMaxHandles> handles_{};
    std::int16_t handleCount_ = 5;
    bool blackOnTop_ = false;
    bool none14_ = false;
    bool negative_ = false;
};

}  // namespace scanora
