#pragma once

#include <QString>
#include <QWidget>

#include <optional>

#include "imaging/LevelHistogram.h"
#include "imaging/LevelSliders.h"

namespace scanora {

class AppContext;
class QorvaneView;

namespace ui {
class QVPropertyPage;
}

// The histogram panel beside the image: the distribution of the displayed levels, the level
// strip, the bar of level sliders with their bands and false-colour switches, the colour sample
// points and the cursor level, and the readout of the pixel under the cursor.
class QVHistogram : public QWidget {
    Q_OBJECT

public:
    // Layout of the panel, in pixels.
    static constexpr int kPlotWidth = 258;
    static constexpr int kPlotTop = 30;
    static constexpr int kPlotBottom = 130;
    static constexpr int kStripTop = 131;
    static constexpr int kStripBottom = 141;
    static constexpr int kBarBottom = 149;
    static constexpr double kMaxZoom = 20.0;

    QVHistogram(AppContext& app, QorvaneView& view, QWidget* parent = nullptr);

    [[nodiscard]] double Zoom() const { return zoom_; }
    // Back to zoom 1: the tallest bin fills the plot (Alt + click, Normalize Histogram).
    void ResetZoom();
    [[nodiscard]] int CursorLevel() const { return cursorLevel_; }
    // The left edge of the plot (its frame) in the panel.
    [[nodiscard]] int PlotLeft() const;
    // The box of named histogram settings above the plot.
    [[nodiscard]] ui::QVPropertyPage& SettingsPage() const { return *settingsPage_; }
    // The panel's readout line texts, as drawn.
    [[nodiscard]] QString ReadoutText() const;

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

public Q_SLOTS:
    void SetReadout(int red, int green, int blue, double value, int x, int y);
    void SetCursorLevel(int level);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PaintPlot(QPainter& painter, const LevelHistogram::Bins& bins) const;
    void PaintSliderBar(QPainter& painter) const;
    void PressSliderBar(int level, Qt::KeyboardModifiers modifiers);
    [[nodiscard]] QColor BarColor() const;

    AppContext& app_;
    QorvaneView& view_;
    ui::QVPropertyPage* settingsPage_ = nullptr;
    double zoom_ = 1.0;
    bool resetZoom_ = false;
    int cursorLevel_ = -1;

    // The slider being dragged: its index, its level at the press and the press position.
    std::optional<int> dragged_;
    int dragStartLevel_ = 0;
    int dragStartX_ = 0;
    LevelSliders dragSliders_;

    struct Readout {
        int red = -1;
        int green = -1;
        int blue = -1;
        double value = 0.0;
        int x = 0;
        int y = 0;
    } readout_;
};

}  // namespace scanora
