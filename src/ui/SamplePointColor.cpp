#include "ui/SamplePointColor.h"

#include <array>
#include <cstddef>

namespace scanora {

QColor SamplePointColor(int code)
{
    static constexpr std::array<std::array<int, 3>, 12> kColors{{{255, 0, 0},
                                                                 {255, 255, 0},
                                                                 {0, 255, 0},
                                                                 {0, 0, 255},
                                                                 {255, 0, 255},
                                                                 {42, 253, 255},
                                                                 {255, 128, 0},
                                                                 {128, 0, 128},
                                                                 {128, 0, 0},
                                                                 {179, 255, 0},
                                                                 {64, 85, 0},
                                                                 {216, 153, 255}}};
    if (code < 0 || code >= static_cast<int>(kColors.size()))
        return QColor(128, 128, 128);
    const auto& c = kColors[static_cast<std::size_t>(code)];
    return QColor(c[0], c[1], c[2]);
}

}  // namespace scanora
