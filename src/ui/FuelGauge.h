#pragma once

#include <QColor>
#include <QProgressBar>

namespace scanora::ui {

// The camera's supply voltage as a bar in hundredths of a volt: red below 11.70 V, orange below
// 12.00 V, green from there, with the value written across it. Without a reading (no camera)
// it is an empty frame: no bar and no value.
class FuelGauge : public QProgressBar {
    Q_OBJECT

public:
    static constexpr int kMinimum = 1138;  // 11.38 V
    static constexpr int kMaximum = 1324;  // 13.24 V
    static constexpr int kRedBelow = 1170;
    static constexpr int kOrangeBelow = 1200;

    explicit FuelGauge(QWidget* parent = nullptr);

    // Hundredths of a volt; the text follows.
    void SetPosition(int hundredths);
    // No camera, so no voltage: the bar and its text go.
    void ShowNoReading();
    [[nodiscard]] bool HasReading() const { return hasReading_; }
    [[nodiscard]] static QColor BarColor(int hundredths);
    [[nodiscard]] QString GaugeText() const;
    // The filled width inside a bar `innerWidth` pixels wide.
    [[nodiscard]] int FilledWidth(int innerWidth) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool hasReading_ = false;
};

}  // namespace scanora::ui
