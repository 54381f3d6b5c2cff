#include "ui/TonePalette.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cstdlib>

#include "imaging/QVCurveEditor.h"
#include "ui/GuiThread.h"

namespace scanora::ui {

namespace {

const QColor kBackground(224, 224, 224);
// While no curve is applied ("None14") the graph says so with its colour.
const QColor kNoCurveBackground(255, 160, 160);
const QColor kHistogramLine(180, 180, 180);
const QColor kGridLine(200, 200, 200);
const QColor kReferenceLine(140, 140, 140);
const QColor kDraggedHandle(200, 0, 0);
constexpr int kTopRim = 4;
constexpr int kRightRim = 4;
constexpr int kHandleRadius = 3;
constexpr int kMarkSize = 9;
// The swatches of the sample points: 20 to 29 pixels right of the plot's left edge, one every 11
// pixels down from the top (up from the bottom on the flipped graph).
constexpr int kSwatchLeft = 20;
constexpr int kSwatchRight = 29;
constexpr int kSwatchPitch = 11;
// Output levels between the horizontal grid lines.
constexpr int kLevelGridStep = 51;

QFont LabelFont()
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(8);
    return font;
}

// A label on a light box, so that it reads over the grid and the histogram.
void DrawLabel(QPainter& painter, QPoint at, const QString& text)
{
    const QRect box = painter.fontMetrics().boundingRect(text).translated(at).adjusted(-1, 0, 1, 0);
    painter.fillRect(box, QColor(255, 255, 255, 220));
    painter.drawText(at, text);
}

}  // namespace

TonePalette::TonePalette(QVCurveEditor& editor, QWidget* parent) : QWidget(parent), editor_(editor)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setToolTip(
        "Drag a handle to shape the curve (Alt: fine steps); drag the mark under the graph to "
        "move the level the stops count from");
}

void TonePalette::SetSampleMarks(std::vector<SampleMark> marks)
{
    SCANORA_ASSERT_GUI_THREAD();
    marks_ = std::move(marks);
    update();
}

QSize TonePalette::sizeHint() const
{
    return {kMinimumWidth, 200};
}

QSize TonePalette::minimumSizeHint() const
{
    return {kMinimumWidth, kMinimumHeight};
}

void TonePalette::PlaceGraph()
{
    editor_.SetClientArea(0, kTopRim, width() - kRightRim, height());
}

void TonePalette::resizeEvent(QResizeEvent* event)
{
    SCANORA_ASSERT_GUI_THREAD();
    PlaceGraph();
    QWidget::resizeEvent(event);
}

void TonePalette::paintEvent(QPaintEvent*)
{
    SCANORA_ASSERT_GUI_THREAD();
    // Drawn off-screen as a whole, then copied: a drag never shows a half-drawn graph.
    const qreal ratio = devicePixelRatioF();
    QPixmap buffer(size() * ratio);
    buffer.setDevicePixelRatio(ratio);
    {
        QPainter painter(&buffer);
        PaintGraph(painter);
    }
    QPainter(this).drawPixmap(0, 0, buffer);
}

void TonePalette::PaintGraph(QPainter& painter) const
{
    painter.fillRect(rect(), editor_.IsNone14() ? kNoCurveBackground : kBackground);
    painter.setFont(LabelFont());
    PaintHistogram(painter);
    PaintGrid(painter);
    PaintCurve(painter);
    PaintSampleMarks(painter);
    PaintHandles(painter);
    PaintGuides(painter);
    PaintReference(painter);
}

void TonePalette::PaintHistogram(QPainter& painter) const
{
    const CurveGraph& graph = editor_.Graph();
    painter.setPen(kHistogramLine);
    for (std::size_t bin = 0; bin < QVCurveEditor::kHistogramBins; ++bin) {
        const int height = static_cast<int>(editor_.HistogramBarHeight(bin));
        if (height <= 0)
            continue;
        const int x = graph.LevelToX(static_cast<double>(bin));
        painter.drawLine(x, graph.PlotBottom() - 1, x, graph.PlotBottom() - height);
    }
}

void TonePalette::PaintGrid(QPainter& painter) const
{
    const CurveGraph& graph = editor_.Graph();
    // Output levels across.
    painter.setPen(kGridLine);
    for (int level = 0; level <= CurveGraph::kTopLevel; level += kLevelGridStep) {
        const int y = graph.LevelToY(level);
        painter.drawLine(graph.PlotLeft(), y, graph.PlotRight(), y);
    }
    // A line at every stop from the reference level, labelled with its count of stops.
    const int reference = editor_.ReferenceLevel();
    const int stopsBelow = static_cast<int>(reference / CurveGraph::kLevelsPerStop);
    const int stopsAbove =
        static_cast<int>((CurveGraph::kTopLevel - reference) / CurveGraph::kLevelsPerStop);
    const QFontMetrics metrics = painter.fontMetrics();
    for (int stop = -stopsBelow; stop <= stopsAbove; ++stop) {
        const int x = graph.LevelToX(reference + stop * CurveGraph::kLevelsPerStop);
        painter.setPen(stop == 0 ? kReferenceLine : kGridLine);
        painter.drawLine(x, graph.PlotTop(), x, graph.PlotBottom());
        if (stop == 0)
            continue;  // the reference mark stands there
        const QString text = QString::number(stop);
        painter.setPen(Qt::black);
        painter.drawText(x - metrics.horizontalAdvance(text) / 2,
                         graph.PlotBottom() + metrics.ascent() + 1, text);
    }
}

void TonePalette::PaintCurve(QPainter& painter) const
{
    const CurveGraph& graph = editor_.Graph();
    const auto levels = editor_.Curve().Levels();
    QPainterPath path;
    for (int index = 0; index < static_cast<int>(levels.size()); ++index) {
        const QPointF at(graph.LevelToX(index),
                         graph.LevelToY(levels[static_cast<std::size_t>(index)]));
        if (index == 0)
            path.moveTo(at);
        else
            path.lineTo(at);
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.2));
    painter.drawPath(path);
    painter.restore();
}

void TonePalette::PaintSampleMarks(QPainter& painter) const
{
    const CurveGraph& graph = editor_.Graph();
    const QFontMetrics metrics = painter.fontMetrics();
    for (std::size_t i = 0; i < marks_.size(); ++i) {
        const SampleMark& mark = marks_[i];
        const QVCurveEditor::Point at = editor_.SamplePointPosition(mark.meanGainedRaw);
        painter.fillRect(at.x - kMarkSize / 2, at.y - kMarkSize / 2, kMarkSize, kMarkSize,
                         mark.color);
        const int offset = static_cast<int>(i) * kSwatchPitch;
        const int top = graph.IsFlipped() ? graph.PlotBottom() - offset - kSwatchPitch
                                          : graph.PlotTop() + offset + 1;
        const QRect swatch(graph.PlotLeft() + kSwatchLeft, top, kSwatchRight - kSwatchLeft + 1,
                           kSwatchPitch - 2);
        painter.fillRect(swatch, mark.color);
        painter.setPen(Qt::black);
        const QString text = QString::asprintf("%d, %d, %d", mark.red, mark.green, mark.blue);
        painter.drawText(swatch.right() + 4,
                         swatch.center().y() + (metrics.ascent() - metrics.descent()) / 2, text);
    }
}

void TonePalette::PaintHandles(QPainter& painter) const
{
    const CurveGraph& graph = editor_.Graph();
    const auto handles = editor_.Handles();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (std::size_t i = 0; i < handles.size(); ++i) {
        const bool dragged =
            editor_.IsDragging() && static_cast<int>(i) == editor_.SelectedHandle();
        painter.setPen(QPen(dragged ? kDraggedHandle : Qt::black, 1.0));
        painter.setBrush(dragged ? kDraggedHandle : QColor(Qt::white));
        painter.drawEllipse(QPointF(graph.LevelToX(handles[i].x), graph.LevelToY(handles[i].y)),
                            kHandleRadius, kHandleRadius);
    }
    painter.restore();
}

void TonePalette::PaintGuides(QPainter& painter) const
{
    if (!editor_.IsDragging())
        return;
    const CurveGraph& graph = editor_.Graph();
    const CurveHandle handle =
        editor_.Handles()[static_cast<std::size_t>(editor_.SelectedHandle())];
    const int x = graph.LevelToX(handle.x);
    const int y = graph.LevelToY(handle.y);
    painter.setPen(QPen(kDraggedHandle, 1, Qt::DashLine));
    painter.drawLine(x, y, x, graph.PlotBottom());
    painter.drawLine(graph.PlotLeft(), y, x, y);
    painter.setPen(Qt::black);
    const QFontMetrics metrics = painter.fontMetrics();
    const QString stops = QString::asprintf("%2.1f", editor_.StopsFromReference(handle.x));
    const int stopsLeft = std::min(x + 3, graph.PlotRight() - metrics.horizontalAdvance(stops));
    DrawLabel(painter, QPoint(stopsLeft, graph.PlotBottom() - metrics.descent() - 2), stops);
    const QString level = QString::asprintf("%d", handle.y);
    const int levelTop = std::max(y - 3, graph.PlotTop() + metrics.ascent());
    DrawLabel(painter, QPoint(graph.PlotLeft() + 2, levelTop), level);
}

void TonePalette::PaintReference(QPainter& painter) const
{
    const CurveGraph& graph = editor_.Graph();
    const int x = graph.LevelToX(editor_.ReferenceLevel());
    const int top = graph.PlotBottom() + 1;
    const QPolygon mark({QPoint(x, top), QPoint(x - 5, top + 8), QPoint(x + 5, top + 8)});
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::black);
    painter.setBrush(draggingReference_ ? kDraggedHandle : QColor(Qt::black));
    painter.drawPolygon(mark);
    painter.restore();
}

bool TonePalette::OnReferenceMark(QPoint at) const
{
    const CurveGraph& graph = editor_.Graph();
    return at.y() > graph.PlotBottom() &&
           std::abs(at.x() - graph.LevelToX(editor_.ReferenceLevel())) <= kReferencePick;
}

void TonePalette::mousePressEvent(QMouseEvent* event)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    if (editor_.Press(at.x(), at.y())) {
        update();
    } else if (OnReferenceMark(at)) {
        editor_.StartReferenceDrag(at.x());
        draggingReference_ = true;
        update();
    }
}

void TonePalette::mouseMoveEvent(QMouseEvent* event)
{
    SCANORA_ASSERT_GUI_THREAD();
    const QPoint at = event->position().toPoint();
    if (editor_.IsDragging()) {
        editor_.Move(at.x(), at.y(), event->modifiers().testFlag(Qt::AltModifier));
        Q_EMIT handlesMoved();
        update();
    } else if (draggingReference_) {
        editor_.MoveReference(at.x());
        update();
    }
}

void TonePalette::mouseReleaseEvent(QMouseEvent* event)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (event->button() != Qt::LeftButton)
        return;
    draggingReference_ = false;
    // A drag that changed the curve ends with the table rebuilt and the editor's listener told.
    editor_.Release();
    update();
}

}  // namespace scanora::ui
