#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "camera/FocusDisplays.h"
#include "camera/QVCamComm.h"
#include "imaging/QVToneCurve.h"
#include "settings/CurveSource.h"

namespace scanora {

// Turns the focus window's reply into 100 pixels of red, green and blue bytes. Over USB the
// camera sends 300 big-endian 16-bit samples, which go through the current tone curve to 8 bits;
// over SCSI it sends the 300 bytes already through its own 8-bit tables. The curve's table is
// rebuilt only when the curve changes.
class FocusSampleDecoder {
public:
    // The reply's prefix ("#F") before the samples.
    static constexpr std::size_t kPrefixBytes = 2;

    // The sample bytes a reply carries after its prefix on `kind`.
    [[nodiscard]] static std::size_t DataBytes(TransportKind kind);

    // Follows the curve for the USB samples.
    void UseCurve(const CurveState& curve);
    // Decodes `reply` (the whole reply, prefix included). False when it is too short to hold
    // every sample: nothing past its end is read.
    bool Decode(TransportKind kind, std::span<const std::uint8_t> reply,
                std::array<std::uint8_t, FocusReading::kSampleBytes>& out) const;

private:
    CurveState curve_;
    bool built_ = false;
    QVToneCurve table_;
};

}  // namespace scanora
