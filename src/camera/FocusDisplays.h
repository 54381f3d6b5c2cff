#pragma once

#include <array>
#include <cstdint>

namespace scanora {

// One reading of the focus window as the displays show it: the smoothed score of each channel
// (a disabled channel keeps its last one), which channels are measured, and the window's 100
// pixels as red, green and blue bytes.
struct FocusReading {
    static constexpr int kChannels = 3;
    static constexpr int kPixels = 100;
    static constexpr int kSampleBytes = kPixels * kChannels;

    std::array<int, kChannels> scores{};
    std::array<bool, kChannels> enabled{true, true, true};
    std::array<std::uint8_t, kSampleBytes> samples{};
};

// The window's width at the current zoom, for the zoom control's label.
struct FocusWindowWidth {
    int pixels = 0;
    double millimetres = 0.0;
};

// What shows the focus aid: the focus page and its large window in the desktop program, the
// terminal in the CLI. The focus aid calls these with copied values from whichever thread
// measures; an implementation that draws takes them over to its own thread.
class FocusDisplays {
public:
    virtual ~FocusDisplays() = default;

    // A new reading.
    virtual void ShowFocusReading(const FocusReading& reading) = 0;
    // Nothing to show: the focus aid started or stopped, or a reading failed.
    virtual void ClearFocusDisplay() = 0;
    // The window's width after a zoom change or at the start.
    virtual void ShowWindowWidth(const FocusWindowWidth& width) = 0;
    // The carriage is being moved: the program is busy until the matching false.
    virtual void ShowBusy(bool /*busy*/) {}
};

}  // namespace scanora
