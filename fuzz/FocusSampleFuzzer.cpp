// Feeds arbitrary bytes to the focus window's sample decoder as the camera's reply, over both
// links, with a tone curve made from the input as well (a curve can come from any curve file):
// a short reply must be refused and nothing read past its end, whatever the curve.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "camera/FocusSampleDecoder.h"

namespace {

using namespace scanora;

// The input's first bytes choose the link and the curve; the rest is the reply.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

    std::uint8_t Byte() { return at_ < bytes_.size() ? bytes_[at_++] : 0; }
    std::int16_t Word()
    {
        const unsigned high = Byte();
        return static_cast<std::int16_t>(high << 8 | Byte());
    }
    [[nodiscard]] std::span<const std::uint8_t> Rest() const { return bytes_.subspan(at_); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input input(data, size);
    const std::uint8_t choice = input.Byte();
    const TransportKind kind = (choice & 1) != 0 ? TransportKind::Scsi : TransportKind::Usb;
    CurveState curve;
    curve.negative = (choice & 2) != 0;
    const int handles = input.Byte() % 9;  // one more than a curve may hold
    for (int i = 0; i < handles; ++i) {
        const std::int16_t x = input.Word();
        curve.handles.push_back({x, input.Word()});
    }

    FocusSampleDecoder decoder;
    decoder.UseCurve(curve);
    std::array<std::uint8_t, FocusReading::kSampleBytes> out{};
    const std::span<const std::uint8_t> reply = input.Rest();
    const bool decoded = decoder.Decode(kind, reply, out);
    const std::size_t needed =
        FocusSampleDecoder::kPrefixBytes + FocusSampleDecoder::DataBytes(kind);
    if (decoded && reply.size() < needed)
        __builtin_trap();  // a reply too short for its samples was taken
    return 0;
}
