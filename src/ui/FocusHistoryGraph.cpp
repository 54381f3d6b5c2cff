#include "ui/FocusHistoryGraph.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "ui/GuiThread.h"

namespace scanora::ui {

namespace {

const std::array<QColor, FocusReading::kChannels> kLineColours{QColor(176, 0, 0), QColor(0, 140, 0),
                                                               QColor(0, 0, 190)};

}  // namespace

FocusHistoryGraph::FocusHistoryGraph(QWidget* parent) : QWidget(parent)
{
    setToolTip("Focus scores of the last readings; the dots mark the best since the start");
}

void FocusHistoryGraph::SetHistory(const FocusHistory& history,
                                   const std::array<bool, FocusReading::kChannels>& enabled)
{
    SCANORA_ASSERT_GUI_THREAD();
    history_ = history;
    enabled_ = enabled;
    update();
}

void FocusHistoryGraph::Clear()
{
    SCANORA_ASSERT_GUI_THREAD();
    history_.Clear();
    update();
}

QSize FocusHistoryGraph::sizeHint() const
{
    return {200, 100};
}

QSize FocusHistoryGraph::minimumSizeHint() const
{
    return {60, 50};
}

void FocusHistoryGraph::paintEvent(QPaintEvent*)
{
    SCANORA_ASSERT_GUI_THREAD();
    QPainter painter(this);
    const QRect outer = rect();
    painter.fillRect(outer, Qt::white);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(outer.adjusted(0, 0, -1, -1));

    const auto& recent = history_.Recent();
    if (recent.empty())
        return;
    int top = 1;
    for (int c = 0; c < FocusReading::kChannels; ++c) {
        if (enabled_[static_cast<std::size_t>(c)])
            top = std::max(top, history_.BestOf(c).score);
    }
    const QRectF area = QRectF(outer).adjusted(4, 6, -4, -4);
    // The first readings spread over part of the width; later ones scroll through all of it.
    constexpr std::size_t kFirstSpan = 60;
    const auto capacity = static_cast<double>(
        std::clamp<std::size_t>(recent.size(), kFirstSpan, FocusHistory::kDefaultDepth));
    const double step = area.width() / (capacity - 1);
    const auto x = [&](int reading) {
        return area.left() + (reading - history_.FirstRecent()) * step;
    };
    const auto y = [&](int score) { return area.bottom() - score * area.height() / (top * 1.05); };

    painter.setRenderHint(QPainter::Antialiasing);
    for (int c = 0; c < FocusReading::kChannels; ++c) {
        const auto channel = static_cast<std::size_t>(c);
        if (!enabled_[channel])
            continue;
        QPainterPath path;
        for (std::size_t i = 0; i < recent.size(); ++i) {
            const QPointF point(x(history_.FirstRecent() + static_cast<int>(i)),
                                y(recent[i][channel]));
            if (i == 0)
                path.moveTo(point);
            else
                path.lineTo(point);
        }
        painter.setPen(QPen(kLineColours[channel], 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);

        // The best since the start: a dashed level across and a dot where it was reached.
        const FocusHistory::Best best = history_.BestOf(c);
        if (best.reading == 0)
            continue;
        QPen level(kLineColours[channel], 1.0, Qt::DashLine);
        painter.setPen(level);
        painter.drawLine(QPointF(area.left(), y(best.score)), QPointF(area.right(), y(best.score)));
        if (best.reading >= history_.FirstRecent()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(kLineColours[channel]);
            painter.drawEllipse(QPointF(x(best.reading), y(best.score)), 3.5, 3.5);
        }
    }
}

}  // namespace scanora::ui
