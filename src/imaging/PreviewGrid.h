#pragma once

#include <vector>

namespace scanora {

// The grid drawn over the preview: line spacing and the offset of the first line, in display
// window pixels. The grid tool moves it and, with Shift, resizes it.
class PreviewGrid {
public:
    static constexpr int kDefaultSpacing = 50;
    static constexpr int kMinSpacing = 3;
    static constexpr int kMaxSpacing = 500;

    // Spacings that are not positive become 50.
    PreviewGrid(int spacingX, int spacingY);

    [[nodiscard]] int SpacingX() const { return spacingX_; }
    [[nodiscard]] int SpacingY() const { return spacingY_; }
    [[nodiscard]] int OffsetX() const { return offsetX_; }
    [[nodiscard]] int OffsetY() const { return offsetY_; }

    // Moves the grid by the mouse travel; offsets stay within one spacing.
    void Move(int dx, int dy);
    // Widens the spacings by the mouse travel, each held to 3..500; the offsets follow.
    void Resize(int dx, int dy);
    void SetSpacing(int spacingX, int spacingY);

    // The positions of the lines across [start, end): the first at start + offset, then every
    // spacing.
    [[nodiscard]] static std::vector<int> Lines(int start, int end, int offset, int spacing);

private:
    int spacingX_;
    int spacingY_;
    int offsetX_ = 0;
    int offsetY_ = 0;
};

}  // namespace scanora
