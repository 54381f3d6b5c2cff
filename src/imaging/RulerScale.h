#pragma once

namespace scanora {

// The labelling of the rulers beside the image view: how many units lie between two labels and
// how many minor ticks divide that step, for a given number of screen pixels per unit.
class RulerScale {
public:
    static constexpr int kPixelsPerDigit = 10;
    static constexpr int kMinLabelPixels = 15;
    static constexpr double kMinTickPixels = 4.0;

    // Steps 1, 2, 5, 10, 20, 50, 100, ... until labels are at least the widest label apart: 10
    // pixels per digit of `largestLabel`, at least 15 pixels.
    [[nodiscard]] static int LabelStep(double pixelsPerUnit, int largestLabel);
    // Minor ticks per step: for inches with a step of at least one unit, 64 halved until ticks
    // are at least 4 pixels apart; otherwise the first of 10, 5, 4, 2 that keeps them 4 pixels
    // apart; 1 when none does.
    [[nodiscard]] static int MinorTicks(double pixelsPerUnit, int step, bool inches);
};

}  // namespace scanora
