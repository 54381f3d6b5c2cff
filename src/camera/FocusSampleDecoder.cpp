#include "camera/FocusSampleDecoder.h"

#include <algorithm>

namespace scanora {

namespace {

bool SameCurve(const CurveState& a, const CurveState& b)
{
    return a.negative == b.negative && a.handles == b.handles;
}

}  // namespace

std::size_t FocusSampleDecoder::DataBytes(TransportKind kind)
{
    return kind == TransportKind::Usb ? 2 * FocusReading::kSampleBytes : FocusReading::kSampleBytes;
}

void FocusSampleDecoder::UseCurve(const CurveState& curve)
{
    if (built_ && SameCurve(curve, curve_))
        return;
    curve_ = curve;
    table_.SetHandles(curve.handles);
    table_.SetNegative(curve.negative);
    table_.SetRawBits(16);
    table_.SetSixteenBit(false);
    table_.BuildRawTable();
    built_ = true;
}

bool FocusSampleDecoder::Decode(TransportKind kind, std::span<const std::uint8_t> reply,
                                std::array<std::uint8_t, FocusReading::kSampleBytes>& out) const
{
    const std::size_t bytes = DataBytes(kind);
    if (reply.size() < kPrefixBytes + bytes)
        return false;
    const std::span<const std::uint8_t> data = reply.subspan(kPrefixBytes, bytes);
    if (kind != TransportKind::Usb) {
        std::copy(data.begin(), data.end(), out.begin());
        return true;
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto word = static_cast<std::uint16_t>(data[2 * i] << 8 | data[2 * i + 1]);
        out[i] = static_cast<std::uint8_t>(built_ ? table_.RawEntry(word) : word >> 8);
    }
    return true;
}

}  // namespace scanora
