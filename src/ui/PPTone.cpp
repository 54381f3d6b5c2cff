#include "ui/PPTone.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

#include "camera/QVExposure.h"
#include "context/AppContext.h"
#include "imaging/QVCurveEditor.h"
#include "settings/QVCameraSetting.h"
#include "ui/GuiThread.h"
#include "ui/SamplePointColor.h"
#include "ui/TonePalette.h"

namespace scanora::ui {

namespace {

constexpr int kIconSize = 16;

bool AltHeld()
{
    return QApplication::queryKeyboardModifiers() & Qt::AltModifier;
}

// A 16 x 16 icon drawn by `draw`, sharp at twice the size as well.
QIcon DrawnIcon(const std::function<void(QPainter&)>& draw)
{
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(kIconSize * scale, kIconSize * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(Qt::black);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// An arrow head at `tip`, pointing left (`direction` -1) or right (+1), with a shaft of `shaft`.
void Arrow(QPainter& painter, QPointF tip, int direction, double shaft)
{
    painter.drawLine(tip, tip - QPointF(direction * shaft, 0));
    painter.drawPolygon(QPolygonF(
        {tip, tip + QPointF(-direction * 4.0, -3.5), tip + QPointF(-direction * 4.0, 3.5)}));
}

QIcon ShiftIcon(int direction)
{
    return DrawnIcon([direction](QPainter& painter) {
        Arrow(painter, QPointF(direction < 0 ? 2.5 : 13.5, 8), direction, 11);
    });
}

// Two arrows towards a middle line (compress) or away from it (expand).
QIcon ScaleIcon(bool inwards)
{
    return DrawnIcon([inwards](QPainter& painter) {
        painter.drawLine(QPointF(8, 2), QPointF(8, 14));
        if (inwards) {
            Arrow(painter, QPointF(6.5, 8), 1, 5.5);
            Arrow(painter, QPointF(9.5, 8), -1, 5.5);
        } else {
            Arrow(painter, QPointF(1.5, 8), -1, 5);
            Arrow(painter, QPointF(14.5, 8), 1, 5);
        }
    });
}

// A ramp from black to white, or from white to black while the curve is negative.
QIcon NegativeIcon(bool negative)
{
    return DrawnIcon([negative](QPainter& painter) {
        QLinearGradient ramp(QPointF(1, 0), QPointF(15, 0));
        ramp.setColorAt(0.0, negative ? Qt::white : Qt::black);
        ramp.setColorAt(1.0, negative ? Qt::black : Qt::white);
        painter.setPen(QPen(Qt::black, 1.0));
        painter.setBrush(ramp);
        painter.drawRect(QRectF(1.5, 3.5, 13, 9));
    });
}

QToolButton* AddToolButton(QWidget* parent, QHBoxLayout* row, const QIcon& icon, const QString& tip)
{
    auto* button = new QToolButton(parent);
    button->setIcon(icon);
    button->setIconSize(QSize(kIconSize, kIconSize));
    button->setToolTip(tip);
    row->addWidget(button);
    return button;
}

}  // namespace

PPTone::PPTone(AppContext& app, QWidget* parent) : QVPropertyPage(app, SettingKind::Curve, parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 4, 2, 2);
    layout->setSpacing(3);
    layout->addWidget(SettingsBox());

    graph_ = new TonePalette(Editor(), this);
    layout->addWidget(graph_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    shiftLeft_ = AddToolButton(this, buttons, ShiftIcon(-1), "Shift the curve left");
    shiftRight_ = AddToolButton(this, buttons, ShiftIcon(1), "Shift the curve right");
    compress_ = AddToolButton(this, buttons, ScaleIcon(true),
                              "Compress the curve about its middle (Alt: about the reference)");
    expand_ = AddToolButton(this, buttons, ScaleIcon(false),
                            "Expand the curve about its middle (Alt: about the reference)");
    handles_ = new QToolButton(this);
    handles_->setText("5/7");
    handles_->setToolTip("Switch between 5 and 7 handles");
    buttons->addWidget(handles_);
    negative_ = AddToolButton(this, buttons, NegativeIcon(false), "Negative");
    negative_->setCheckable(true);
    buttons->addStretch(1);
    sixteenBit_ = new QCheckBox("16 Bit", this);
    sixteenBit_->setToolTip("Save and scan through a 16-bit curve");
    buttons->addWidget(sixteenBit_);
    layout->addLayout(buttons);

    auto* directions = new QHBoxLayout;
    directions->setSpacing(6);
    both_ = new QRadioButton("Both", this);
    horizontal_ = new QRadioButton("Horizontal", this);
    vertical_ = new QRadioButton("Vertical", this);
    auto* group = new QButtonGroup(this);
    for (QRadioButton* button : {both_, horizontal_, vertical_}) {
        group->addButton(button);
        directions->addWidget(button);
    }
    directions->addStretch(1);
    both_->setChecked(true);
    layout->addLayout(directions);

    connect(shiftLeft_, &QToolButton::clicked, this, [this] { Editor().ShiftLeft(); });
    connect(shiftRight_, &QToolButton::clicked, this, [this] { Editor().ShiftRight(); });
    connect(compress_, &QToolButton::clicked, this, [this] { Editor().Compress(AltHeld()); });
    connect(expand_, &QToolButton::clicked, this, [this] { Editor().Expand(AltHeld()); });
    connect(handles_, &QToolButton::clicked, this, [this] { Editor().ToggleHandleCount(); });
    connect(negative_, &QToolButton::clicked, this, [this] { Editor().ToggleNegative(); });
    connect(sixteenBit_, &QCheckBox::clicked, this, [this](bool on) {
        app_.CameraSetting().Prefs().use16BitCurve = on;
        Q_EMIT sampleFormatChanged();
    });
    connect(both_, &QRadioButton::clicked, this, [this] { SetDirections(Directions::Both); });
    connect(horizontal_, &QRadioButton::clicked, this,
            [this] { SetDirections(Directions::Horizontal); });
    connect(vertical_, &QRadioButton::clicked, this,
            [this] { SetDirections(Directions::Vertical); });
    connect(graph_, &TonePalette::handlesMoved, this, &PPTone::curveEndsChanged);

    // The editor may finish a change on any thread (a setting applied); the page shows it on
    // its own.
    Editor().SetListener(
        [this] { QMetaObject::invokeMethod(this, &PPTone::CurveFinished, Qt::AutoConnection); });
}

PPTone::~PPTone()
{
    Editor().SetListener({});
}

QVCurveEditor& PPTone::Editor() const
{
    return app_.CurveEditor();
}

QRadioButton* PPTone::DirectionButton(Directions directions) const
{
    switch (directions) {
    case Directions::Horizontal: return horizontal_;
    case Directions::Vertical: return vertical_;
    default: return both_;
    }
}

void PPTone::SetDirections(Directions directions)
{
    Editor().SetDragDirections(directions != Directions::Vertical,
                               directions != Directions::Horizontal);
}

void PPTone::Refresh()
{
    SCANORA_ASSERT_GUI_THREAD();
    const QVCurveEditor& editor = Editor();
    negative_->setChecked(editor.IsNegative());
    negative_->setIcon(NegativeIcon(editor.IsNegative()));
    sixteenBit_->setChecked(app_.CameraSetting().Prefs().use16BitCurve);
    graph_->update();
}

void PPTone::CurveFinished()
{
    SCANORA_ASSERT_GUI_THREAD();
    Refresh();
    RefreshSampleMarks();
    Q_EMIT curveChanged();
    Q_EMIT curveEndsChanged();
}

void PPTone::ShowPreviewHistogram(std::span<const std::int32_t> raw)
{
    SCANORA_ASSERT_GUI_THREAD();
    Editor().FillHistogram(raw);
    RefreshSampleMarks();
}

void PPTone::RefreshSampleMarks()
{
    SCANORA_ASSERT_GUI_THREAD();
    const QVExposure& exposure = app_.Exposure();
    const ColorCorrectingToneCurve& curve = Editor().Curve();
    std::vector<TonePalette::SampleMark> marks;
    const auto points = exposure.SamplePoints().Points();
    for (std::size_t i = 0; i < points.size(); ++i) {
        const SpotMean16 mean = exposure.SampleMean(static_cast<int>(i));
        marks.push_back({static_cast<double>(curve.ScaleMean(mean.level)),
                         SamplePointColor(points[i].colorCode), curve.MapRed(mean.red),
                         curve.MapGreen(mean.green), curve.MapBlue(mean.blue)});
    }
    graph_->SetSampleMarks(std::move(marks));
}

void PPTone::SetControlsEnabled(bool enabled)
{
    SCANORA_ASSERT_GUI_THREAD();
    for (QWidget* control : std::initializer_list<QWidget*>{
             SettingsBox(), graph_, shiftLeft_, shiftRight_, compress_, expand_, handles_,
             negative_, sixteenBit_, both_, horizontal_, vertical_})
        control->setEnabled(enabled);
}

}  // namespace scanora::ui
