#include "ui/FocusSamplesView.h"

#include <vector>

#include "ui/CGraphButton.h"

namespace scanora::ui {

void ShowFocusSamples(const FocusReading& reading, CGraphButton& graph)
{
    for (int c = 0; c < FocusReading::kChannels; ++c) {
        std::vector<std::uint8_t> band(FocusReading::kPixels);
        for (int pixel = 0; pixel < FocusReading::kPixels; ++pixel)
            band[static_cast<std::size_t>(pixel)] =
                reading.samples[static_cast<std::size_t>(pixel * FocusReading::kChannels + c)];
        graph.SetBand(c, std::move(band));
        graph.SetBandEnabled(c, reading.enabled[static_cast<std::size_t>(c)]);
    }
}

}  // namespace scanora::ui
