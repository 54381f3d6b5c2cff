#pragma once

#include <QAbstractButton>

#include <array>
#include <cstdint>
#include <vector>

namespace scanora::ui {

// A button that draws up to three lines of byte values, each in its own band: the first in the
// top third in dark red, the second in the middle third in dark green, the third in the bottom
// third in dark blue, on a white face with a sunken one-pixel border. Each band is shown or
// left empty on its own. The focus page draws the window's samples with it; a click opens the
// large focus window.
class CGraphButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int kBands = 3;

    explicit CGraphButton(QWidget* parent = nullptr);

    // The values of band `band` (0..2), 0 at the bottom of the band and 255 at its top.
    void SetBand(int band, std::vector<std::uint8_t> values);
    void SetBandEnabled(int band, bool enabled);
    // Empties every band.
    void Clear();

    [[nodiscard]] const std::vector<std::uint8_t>& Band(int band) const;
    [[nodiscard]] bool BandEnabled(int band) const;

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<std::vector<std::uint8_t>, kBands> bands_;
    std::array<bool, kBands> enabled_{true, true, true};
};

}  // namespace scanora::ui
