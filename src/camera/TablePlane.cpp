#include "camera/TablePlane.h"

namespace scanora {

std::size_t TablePlane::ToneEntriesNeeded(int plane)
{
    if (plane == 0)
        return kSize;
    return plane >= 5 && plane < kCount ? 2 * kSize : 0;
}

bool TablePlane::Build(int plane, std::span<const std::uint16_t> toneTable,
                       std::span<std::uint8_t, kSize> out)
{
    if (plane < 0 || plane >= kCount || toneTable.size() < ToneEntriesNeeded(plane))
        return false;
    for (std::size_t i = 0; i < kSize; ++i) {
        unsigned value = 0;
        switch (plane) {
        case 0: value = toneTable[i]; break;
        case 1:
        case 2: value = 4 * i; break;
        case 3: value = i / 64; break;
        case 4: value = i / 64 + 128; break;
        case 5: value = toneTable[i]; break;
        case 6: value = toneTable[kSize + i]; break;
        case 7: value = toneTable[i] >> 8; break;
        default: value = toneTable[kSize + i] >> 8; break;
        }
        out[i] = static_cast<std::uint8_t>(value & 0xFF);
    }
    return true;
}

}  // namespace scanora
