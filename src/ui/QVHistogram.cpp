#include "ui/QVHistogram.h"

#include <QColorDialog>
#include <QComboBox>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

#include "camera/QVExposure.h"
#include "context/AppContext.h"
#include "ui/GuiThread.h"
#include "ui/QVPropertyPage.h"
#include "ui/QorvaneView.h"
#include "ui/SamplePointColor.h"

namespace scanora {

namespace {

const QColor kFrame(64, 128, 208);
const QColor kCursorLine(128, 128, 224);
constexpr int kLabelClearance = 15;

QColor FromColorRef(std::uint32_t color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

std::uint32_t ToColorRef(const QColor& color)
{
    return static_cast<std::uint32_t>(color.red()) +
           256u * static_cast<std::uint32_t>(color.green()) +
           65536u * static_cast<std::uint32_t>(color.blue());
}

}  // namespace

QVHistogram::QVHistogram(AppContext& app, QorvaneView& view, QWidget* parent)
    : QWidget(parent), app_(app), view_(view)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&view_, &QorvaneView::previewChanged, this, qOverload<>(&QWidget::update));
    connect(&view_, &QorvaneView::pixelReadout, this, &QVHistogram::SetReadout);
    connect(&view_, &QorvaneView::cursorLevel, this, &QVHistogram::SetCursorLevel);

    settingsPage_ = new ui::QVPropertyPage(app_, SettingKind::Histogram, this);
    auto* layout = new QVBoxLayout(settingsPage_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(settingsPage_->SettingsBox());
    connect(settingsPage_, &ui::QVPropertyPage::abortKeyPressed, &view_, &QorvaneView::AbortKey);
    // A chosen setting brings its sliders: the false colours and the slider bar follow.
    connect(settingsPage_, &ui::QVPropertyPage::settingApplied, this, [this] {
        view_.RefreshDisplay();
        update();
    });
}

void QVHistogram::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int boxHeight = std::min(settingsPage_->sizeHint().height(), kPlotTop - 4);
    settingsPage_->setGeometry(PlotLeft(), 2, kPlotWidth, boxHeight);
}

QSize QVHistogram::sizeHint() const
{
    return {kPlotWidth + 20, kBarBottom + 60};
}

QSize QVHistogram::minimumSizeHint() const
{
    return sizeHint();
}

int QVHistogram::PlotLeft() const
{
    return std::max((width() - kPlotWidth) / 2, 0);
}

void QVHistogram::SetReadout(int red, int green, int blue, double value, int x, int y)
{
    SCANORA_ASSERT_GUI_THREAD();
    readout_ = {red, green, blue, value, x, y};
    update(0, kBarBottom + 1, width(), height() - kBarBottom - 1);
}

void QVHistogram::SetCursorLevel(int level)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (level == cursorLevel_)
        return;
    cursorLevel_ = level;
    update();
}

QString QVHistogram::ReadoutText() const
{
    const Readout& r = readout_;
    const int sum = r.red + r.green + r.blue;
    const QString mean =
        r.red < 0 || sum < 0 ? QStringLiteral("--") : QString::asprintf("%d", sum / 3);
    if (r.red < 0)
        return QStringLiteral("R: --  G: --  B: --  %1").arg(mean);
    return QString::asprintf("R: %d  G: %d  B: %d  ", r.red, r.green, r.blue) + mean +
           QString::asprintf("  %2.1f  (%d, %d)", r.value, r.x, r.y);
}

QColor QVHistogram::BarColor() const
{
    switch (view_.ColorMode()) {
    case LevelHistogram::kRed: return QColor(255, 0, 0);
    case LevelHistogram::kGreen: return QColor(0, 255, 0);
    case LevelHistogram::kBlue: return QColor(0, 0, 255);
    case LevelHistogram::kAverage:
    case LevelHistogram::kLuminance: return QColor(128, 128, 128);
    default: return QColor(0, 0, 0);
    }
}

void QVHistogram::paintEvent(QPaintEvent*)
{
    // Drawn off-screen first, then copied to the panel in one piece.
    QPixmap canvas(size() * devicePixelRatioF());
    canvas.setDevicePixelRatio(devicePixelRatioF());
    canvas.fill(palette().color(QPalette::Window));
    {
        QPainter painter(&canvas);
        PaintPlot(painter, view_.HistogramBins());
        if (view_.ShowsImage())
            PaintSliderBar(painter);
        // The readout under the bar, in the panel's own font (the bar's labels are smaller).
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(
            QRect(PlotLeft(), kBarBottom + 6, width() - PlotLeft() - 4, height() - kBarBottom - 6),
            Qt::AlignLeft | Qt::AlignTop, ReadoutText());
    }
    QPainter(this).drawPixmap(0, 0, canvas);
}

void QVHistogram::PaintPlot(QPainter& painter, const LevelHistogram::Bins& bins) const
{
    const int left = PlotLeft();
    const int plotHeight = kPlotBottom - kPlotTop - 1;
    const QRect plot(left, kPlotTop, kPlotWidth, kPlotBottom - kPlotTop + 1);
    painter.fillRect(plot, Qt::white);
    painter.setPen(kFrame);
    painter.drawRect(plot.adjusted(0, 0, -1, -1));

    const double zoom = resetZoom_ ? 1.0 : zoom_;
    const std::int32_t largest = *std::max_element(bins.begin(), bins.end());
    painter.setPen(BarColor());
    for (int i = 0; i < 256; ++i) {
        const int height =
            LevelHistogram::BarHeight(bins[static_cast<std::size_t>(i)], largest, plotHeight, zoom);
        if (height >= 1)
            painter.drawLine(left + i + 1, kPlotBottom - 1, left + i + 1, kPlotBottom - height);
    }
    // The level strip: each level as its own grey.
    for (int i = 0; i < 256; ++i) {
        painter.setPen(QColor(i, i, i));
        painter.drawLine(left + i + 1, kStripTop, left + i + 1, kStripBottom);
    }

    // The colour sample points at their display level, and the cursor level.
    PreviewImage& image = view_.Image();
    if (image.HasImage()) {
        const PreviewRotation rotation = image.Orientation();
        const std::span<const std::uint8_t> display = image.DisplayCopy();
        for (const SamplePoint& point : app_.Exposure().SamplePoints().Points()) {
            if (point.x < 0 || point.y < 0 || point.x >= image.Width() || point.y >= image.Height())
                continue;
            const ImagePoint at = rotation.ToDisplay({point.x, point.y});
            const auto index = (static_cast<std::size_t>(at.y) * image.DisplayWidth() + at.x) * 3;
            if (index + 2 >= display.size())
                continue;
            const int level = LevelHistogram::Level(view_.ColorMode(), display[index],
                                                    display[index + 1], display[index + 2]);
            painter.setPen(SamplePointColor(point.colorCode));
            painter.drawLine(left + level + 1, kPlotTop + 1, left + level + 1, kPlotBottom - 1);
        }
    }
    if (cursorLevel_ >= 0 && cursorLevel_ <= 255) {
        painter.setPen(kCursorLine);
        painter.drawLine(left + cursorLevel_ + 1, kPlotTop + 1, left + cursorLevel_ + 1,
                         kPlotBottom - 1);
    }
    if (zoom > 1.0) {
        painter.setPen(Qt::red);
        painter.drawText(left + 5, kPlotBottom - 20, QString::asprintf("%.1fx", zoom));
    }
}

void QVHistogram::PaintSliderBar(QPainter& painter) const
{
    const LevelSliders& sliders = dragged_ ? dragSliders_ : view_.Sliders();
    const int left = PlotLeft() + 1;
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(6.7);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    int previous = 0;
    for (int i = 0; i < sliders.Count(); ++i) {
        const LevelSliders::Slider& slider = sliders.At(i);
        const QRect band(QPoint(left + previous, kStripBottom + 1),
                         QPoint(left + slider.value + 1, kBarBottom));
        painter.fillRect(band, slider.falseColor ? FromColorRef(slider.color) : QColor(Qt::white));
        painter.setPen(Qt::black);
        painter.drawRect(band.adjusted(0, 0, -1, -1));
        const bool last = i + 1 == sliders.Count();
        if (!last) {
            painter.fillRect(
                QRect(left + slider.value, kStripBottom + 1, 2, kBarBottom - kStripBottom),
                Qt::black);
            const bool collides =
                dragged_ && *dragged_ != i &&
                std::abs(sliders.At(*dragged_).value - slider.value) < kLabelClearance;
            if (!collides) {
                const QString label = QString::number(slider.value);
                const int textWidth = metrics.horizontalAdvance(label);
                const int x =
                    std::clamp(left + slider.value - textWidth / 2, left, left + 256 - textWidth);
                painter.drawText(x, kStripTop - 2, label);
            }
        }
        previous = slider.value;
    }
}

void QVHistogram::ResetZoom()
{
    SCANORA_ASSERT_GUI_THREAD();
    zoom_ = 1.0;
    resetZoom_ = true;
    update();
}

void QVHistogram::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const int left = PlotLeft();
    if (at.y() >= kPlotTop && at.y() <= kPlotBottom && at.x() >= left &&
        at.x() < left + kPlotWidth) {
        if (event->modifiers() & Qt::AltModifier) {
            ResetZoom();
            return;
        }
        zoom_ = std::min(zoom_ + 0.5, kMaxZoom);
        resetZoom_ = false;
        update();
        return;
    }
    if (at.y() > kPlotBottom && at.y() <= kBarBottom && view_.ShowsImage())
        PressSliderBar(at.x() - left - 1, event->modifiers());
}

void QVHistogram::PressSliderBar(int level, Qt::KeyboardModifiers modifiers)
{
    LevelSliders sliders = view_.Sliders();
    const std::optional<LevelSliders::Hit> hit = sliders.HitTest(level);
    if (!hit)
        return;
    const bool alt = modifiers & Qt::AltModifier;
    if (hit->kind == LevelSliders::Hit::Kind::Boundary) {
        if (!sliders.IsMovable(hit->slider))
            return;
        if (alt) {
            sliders.Remove(hit->slider);
            view_.ApplySliders(sliders);
        } else {
            dragged_ = hit->slider;
            dragStartLevel_ = sliders.At(hit->slider).value;
            dragStartX_ = level;
            dragSliders_ = sliders;
        }
        update();
        return;
    }
    if (alt) {
        sliders.InsertBefore(hit->slider, level);
    } else if (modifiers & Qt::ControlModifier) {
        const QColor chosen =
            QColorDialog::getColor(FromColorRef(sliders.At(hit->slider).color), this);
        if (!chosen.isValid())
            return;
        sliders.SetColor(hit->slider, ToColorRef(chosen));
    } else {
        sliders.ToggleFalseColor(hit->slider);
    }
    view_.ApplySliders(sliders);
    update();
}

void QVHistogram::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragged_)
        return;
    const int level =
        dragStartLevel_ + (event->position().toPoint().x() - PlotLeft() - 1) - dragStartX_;
    if (dragSliders_.MoveSlider(*dragged_, level))
        update();
}

void QVHistogram::mouseReleaseEvent(QMouseEvent* event)
{
    if (!dragged_ || event->button() != Qt::LeftButton)
        return;
    const bool moved = dragSliders_.At(*dragged_).value != dragStartLevel_;
    dragged_.reset();
    if (moved)
        view_.ApplySliders(dragSliders_);
    update();
}

}  // namespace scanora
