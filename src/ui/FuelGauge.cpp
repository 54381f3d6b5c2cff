#include "ui/FuelGauge.h"

#include "ui/GuiThread.h"

#include <QPainter>

#include <algorithm>

namespace scanora::ui {

FuelGauge::FuelGauge(QWidget* parent) : QProgressBar(parent)
{
    setRange(kMinimum, kMaximum);
    setTextVisible(true);
    ShowNoReading();
}

void FuelGauge::SetPosition(int hundredths)
{
    SCANORA_ASSERT_GUI_THREAD();
    hasReading_ = true;
    setValue(std::clamp(hundredths, minimum(), maximum()));
    setFormat(QString::asprintf("%2.2f V", hundredths / 100.0));
    update();
}

void FuelGauge::ShowNoReading()
{
    SCANORA_ASSERT_GUI_THREAD();
    hasReading_ = false;
    setValue(minimum());
    setFormat(QString());
    update();
}

QColor FuelGauge::BarColor(int hundredths)
{
    if (hundredths < kRedBelow)
        return Qt::red;
    if (hundredths < kOrangeBelow)
        return QColor(255, 127, 0);
    return Qt::green;
}

QString FuelGauge::GaugeText() const
{
    return format();
}

int FuelGauge::FilledWidth(int innerWidth) const
{
    const int range = maximum() - minimum();
    if (!hasReading_ || range <= 0 || innerWidth <= 0)
        return 0;
    return (value() - minimum()) * innerWidth / range;
}

void FuelGauge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect frame = rect();
    painter.fillRect(frame, palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    const QRect inner = frame.adjusted(1, 1, -1, -1);
    QRect filled = inner;
    filled.setWidth(FilledWidth(inner.width()));
    painter.fillRect(filled, BarColor(value()));
    painter.setPen(Qt::black);
    painter.drawText(frame, Qt::AlignCenter, format());
}

}  // namespace scanora::ui
