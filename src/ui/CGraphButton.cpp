#include "ui/CGraphButton.h"

#include <QPainter>
#include <QPolygonF>

#include <utility>

#include "ui/GuiThread.h"

namespace scanora::ui {

namespace {

const std::array<QColor, CGraphButton::kBands> kBandColours{QColor(96, 0, 0), QColor(0, 96, 0),
                                                            QColor(0, 0, 96)};

bool ValidBand(int band)
{
    return band >= 0 && band < CGraphButton::kBands;
}

}  // namespace

CGraphButton::CGraphButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void CGraphButton::SetBand(int band, std::vector<std::uint8_t> values)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (!ValidBand(band))
        return;
    bands_[static_cast<std::size_t>(band)] = std::move(values);
    update();
}

void CGraphButton::SetBandEnabled(int band, bool enabled)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (!ValidBand(band))
        return;
    enabled_[static_cast<std::size_t>(band)] = enabled;
    update();
}

void CGraphButton::Clear()
{
    SCANORA_ASSERT_GUI_THREAD();
    for (auto& band : bands_) band.clear();
    update();
}

const std::vector<std::uint8_t>& CGraphButton::Band(int band) const
{
    static const std::vector<std::uint8_t> kNone;
    return ValidBand(band) ? bands_[static_cast<std::size_t>(band)] : kNone;
}

bool CGraphButton::BandEnabled(int band) const
{
    return ValidBand(band) && enabled_[static_cast<std::size_t>(band)];
}

QSize CGraphButton::sizeHint() const
{
    return {200, 90};
}

QSize CGraphButton::minimumSizeHint() const
{
    return {60, 45};
}

void CGraphButton::paintEvent(QPaintEvent*)
{
    SCANORA_ASSERT_GUI_THREAD();
    QPainter painter(this);
    const QRect outer = rect();
    painter.fillRect(outer, Qt::white);
    // The sunken border: dark above and left, light below and right.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(outer.topLeft(), outer.topRight());
    painter.drawLine(outer.topLeft(), outer.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(outer.bottomLeft(), outer.bottomRight());
    painter.drawLine(outer.topRight(), outer.bottomRight());

    const QRectF inner = QRectF(outer).adjusted(2, 2, -2, -2);
    const double bandHeight = inner.height() / kBands;
    painter.setRenderHint(QPainter::Antialiasing);
    for (int b = 0; b < kBands; ++b) {
        const auto& values = bands_[static_cast<std::size_t>(b)];
        if (!enabled_[static_cast<std::size_t>(b)] || values.size() < 2)
            continue;
        const double bottom = inner.top() + (b + 1) * bandHeight;
        const double step = inner.width() / static_cast<double>(values.size() - 1);
        QPolygonF line;
        line.reserve(static_cast<qsizetype>(values.size()));
        for (std::size_t i = 0; i < values.size(); ++i)
            line << QPointF(inner.left() + static_cast<double>(i) * step,
                            bottom - values[i] / 255.0 * (bandHeight - 1.0));
        painter.setPen(QPen(kBandColours[static_cast<std::size_t>(b)], 1.0));
        painter.drawPolyline(line);
    }
}

}  // namespace scanora::ui
