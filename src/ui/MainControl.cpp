#include "ui/MainControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include "ui/CAutoButton.h"
#include "ui/FuelGauge.h"
#include "ui/GuiThread.h"

namespace scanora::ui {

namespace {

std::size_t UpDownIndex(int id)
{
    return static_cast<std::size_t>(id - MainControl::kFirstUpDown);
}

bool IsUpDown(int id)
{
    return id >= MainControl::kFirstUpDown &&
           id < MainControl::kFirstUpDown + MainControl::kUpDownCount;
}

// What the line-time marker says, for the lamps a line-time table is made for.
QString StepText(bool inStep, int table)
{
    if (table != 1 && table != 2)
        return QStringLiteral("Exact line times: no lamp flicker to keep in step with");
    const QString mains = table == 1 ? QStringLiteral("60 Hz") : QStringLiteral("50 Hz");
    if (inStep)
        return QStringLiteral("In step with lamps on %1 mains").arg(mains);
    return QStringLiteral("Not in step with lamps on %1 mains: their flicker may show as bands")
        .arg(mains);
}

QLabel* Caption(const QString& text, QWidget* parent)
{
    return new QLabel(text, parent);
}

// A padlock, closed or open, drawn in the label's text colour: no font has to carry a symbol.
QPixmap LockPixmap(bool locked, const QColor& ink, int size, qreal pixelRatio)
{
    QPixmap pixmap(QSize(size, size) * pixelRatio);
    pixmap.setDevicePixelRatio(pixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    const QRectF body(3 * unit, 7 * unit, 10 * unit, 8 * unit);
    // The shackle: an arch over the body, swung up and aside when open.
    QPen pen(ink, 1.6 * unit);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal lift = locked ? 0.0 : 2.5 * unit;
    const QRectF arch(5 * unit, 1.5 * unit - lift, 6 * unit, 8 * unit);
    painter.drawArc(arch, 0, 180 * 16);
    painter.drawLine(QPointF(arch.left(), arch.center().y()), QPointF(arch.left(), body.top()));
    if (locked)
        painter.drawLine(QPointF(arch.right(), arch.center().y()),
                         QPointF(arch.right(), body.top()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawRoundedRect(body, 1.2 * unit, 1.2 * unit);
    return pixmap;
}

}  // namespace

MainControl::MainControl(QWidget* parent) : QWidget(parent)
{
    upDownEnabled_.fill(true);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);

    // Output size and file size.
    grid->addWidget(AddLabel(kSizeCaption, "Image Size"), 0, 0);
    grid->addWidget(AddLabel(kOutputSize), 0, 1, 1, 3);
    grid->addWidget(AddLabel(kResolutionUnit), 0, 4, 1, 2);
    grid->addWidget(Caption("File Size", this), 1, 0);
    grid->addWidget(AddLabel(kFileSize), 1, 1, 1, 3);

    // The four values with their up/down buttons, two per row.
    struct Stepper {
        const char* caption;
        int value;
        int up;
    };
    const Stepper steppers[] = {{"Scan Area", kScanArea, kScanAreaUp},
                                {"Resolution", kResolution, kResolutionUp},
                                {"Line Time", kLineTime, kLineTimeUp},
                                {"ISO", kIso, kIsoUp}};
    for (int i = 0; i < 4; ++i) {
        const Stepper& s = steppers[i];
        const int row = 2 + i / 2;
        const int column = (i % 2) * 3;
        auto* box = new QHBoxLayout;
        box->setSpacing(1);
        box->addWidget(AddLabel(s.value));
        box->addWidget(AddUpDown(s.up, QStyle::SP_ArrowUp));
        box->addWidget(AddUpDown(s.up + 1, QStyle::SP_ArrowDown));
        grid->addWidget(Caption(s.caption, this), row, column);
        grid->addLayout(box, row, column + 1, 1, 2);
    }

    // Colour mode, scan name and notes.
    colorMode_ = new QComboBox(this);
    colorMode_->setObjectName(QString::number(kColorMode));
    colorMode_->addItems({"Color", "Red", "Green", "Blue"});
    controls_[kColorMode] = colorMode_;
    connect(colorMode_, &QComboBox::activated, this, &MainControl::colorModeSelected);
    scanName_ = new QLineEdit(this);
    scanName_->setObjectName(QString::number(kScanName));
    controls_[kScanName] = scanName_;
    connect(scanName_, &QLineEdit::textEdited, this, &MainControl::scanNameEdited);
    grid->addWidget(colorMode_, 4, 0, 1, 2);
    grid->addWidget(scanName_, 4, 2, 1, 3);
    QPushButton* notes = AddButton(kNotes, {});
    notes->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    notes->setToolTip("Notes");
    grid->addWidget(notes, 4, 5);

    // Check boxes.
    auto* checks = new QHBoxLayout;
    checks->addWidget(AddCheck(kFastPrescan, "Fast Prescan"));
    checks->addWidget(AddCheck(kCropPrescan, "Crop Prescan"));
    grid->addLayout(checks, 5, 0, 1, 6);
    auto* buffers = new QHBoxLayout;
    buffers->addWidget(AddCheck(kSuper, "Super"));
    buffers->addWidget(AddCheck(kView, "View"));
    QPushButton* lock = AddButton(kLock, "Lock");
    lock->setCheckable(true);
    buffers->addWidget(lock);
    buffers->addWidget(AddLabel(kSizeLock));
    grid->addLayout(buffers, 6, 0, 1, 6);

    // Prescan and Scan with their times.
    grid->addWidget(AddButton(kPrescan, "Prescan"), 7, 0, 1, 2);
    grid->addWidget(AddLabel(kPrescanTime, "00:00"), 7, 2);
    grid->addWidget(AddButton(kScan, "Scan"), 7, 3, 1, 2);
    grid->addWidget(AddLabel(kScanTime, "00:00"), 7, 5);

    // The camera.
    grid->addWidget(AddLabel(kCameraIcon), 8, 0);
    grid->addWidget(AddLabel(kModelName, "Looking for camera..."), 8, 1, 1, 3);
    grid->addWidget(AddLabel(kDiskFree), 8, 4, 1, 2);
    gauge_ = new FuelGauge(this);
    gauge_->setObjectName(QString::number(kVoltage));
    controls_[kVoltage] = gauge_;
    grid->addWidget(gauge_, 9, 0, 1, 6);
    grid->setRowStretch(10, 1);

    SetCameraIcon(0);
    SetLockIcon(kSizeLock, false);
    SetLineTimeInStep(true, 1);
}

QLabel* MainControl::AddLabel(int id, const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::number(id));
    controls_[id] = label;
    return label;
}

QCheckBox* MainControl::AddCheck(int id, const QString& text)
{
    auto* box = new QCheckBox(text, this);
    box->setObjectName(QString::number(id));
    controls_[id] = box;
    connect(box, &QCheckBox::clicked, this,
            [this, id](bool checked) { Q_EMIT controlActivated(id, checked); });
    return box;
}

QPushButton* MainControl::AddButton(int id, const QString& text)
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::number(id));
    controls_[id] = button;
    connect(button, &QPushButton::clicked, this,
            [this, id, button] { Q_EMIT controlActivated(id, button->isChecked()); });
    return button;
}

CAutoButton* MainControl::AddUpDown(int id, QStyle::StandardPixmap arrow)
{
    auto* button = new CAutoButton(this);
    // The style's own arrow: no font has to carry an arrow symbol.
    button->setIcon(style()->standardIcon(arrow));
    button->setAccessibleName(arrow == QStyle::SP_ArrowUp ? QStringLiteral("Up")
                                                          : QStringLiteral("Down"));
    button->setObjectName(QString::number(id));
    button->setFixedWidth(22);
    controls_[id] = button;
    connect(button, &CAutoButton::stepped, this, [this, id] {
        if (UpDownEnabled(id))
            Q_EMIT controlActivated(id, false);
    });
    return button;
}

QLabel* MainControl::Label(int id) const
{
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : qobject_cast<QLabel*>(it->second);
}

QAbstractButton* MainControl::Button(int id) const
{
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : qobject_cast<QAbstractButton*>(it->second);
}

QString MainControl::Text(int id) const
{
    if (const QLabel* label = Label(id))
        return label->text();
    if (id == kScanName)
        return scanName_->text();
    if (id == kVoltage)
        return gauge_->GaugeText();
    return {};
}

void MainControl::SetText(int id, const QString& text)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (QLabel* label = Label(id)) {
        label->setText(text);
    } else if (id == kScanName) {
        scanName_->setText(text);
    }
}

void MainControl::SetChecked(int id, bool checked)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (QAbstractButton* button = Button(id))
        button->setChecked(checked);
}

void MainControl::SetLockIcon(int id, bool locked)
{
    SCANORA_ASSERT_GUI_THREAD();
    const QString text = locked ? QStringLiteral("Locked") : QStringLiteral("Unlocked");
    if (id == kLock) {
        Button(kLock)->setChecked(locked);
        Button(kLock)->setToolTip(text);
    } else if (QLabel* label = Label(id)) {
        const QIcon themed = QIcon::fromTheme(locked ? QStringLiteral("object-locked")
                                                     : QStringLiteral("object-unlocked"));
        const int size = 16;
        label->setPixmap(themed.isNull()
                             ? LockPixmap(locked, label->palette().color(QPalette::WindowText),
                                          size, label->devicePixelRatioF())
                             : themed.pixmap(size, size));
        label->setToolTip(text);
        label->setProperty("locked", locked);
    }
}

void MainControl::SetLineTimeInStep(bool inStep, int table)
{
    SCANORA_ASSERT_GUI_THREAD();
    lineTimeInStep_ = inStep;
    const QString text = StepText(inStep, table);
    // A shape, not a colour, marks a line time out of step: a box around the value. In step
    // a margin of the box's width takes its place, so that the value does not move.
    QLabel* value = Label(kLineTime);
    value->setFrameShape(inStep ? QFrame::NoFrame : QFrame::Box);
    value->setLineWidth(1);
    value->setIndent(0);
    value->setMargin(inStep ? 1 : 0);
    value->setToolTip(text);
    value->setAccessibleDescription(text);
}

void MainControl::SetCameraIcon(int kind)
{
    SCANORA_ASSERT_GUI_THREAD();
    static constexpr QStyle::StandardPixmap kIcons[] = {
        QStyle::SP_MessageBoxCritical, QStyle::SP_DriveCDIcon, QStyle::SP_DriveHDIcon};
    QLabel* icon = Label(kCameraIcon);
    icon->setPixmap(style()->standardIcon(kIcons[std::clamp(kind, 0, 2)]).pixmap(16, 16));
    icon->setProperty("iconKind", kind);
}

void MainControl::SetUpDownEnabled(int id, bool enabled)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (IsUpDown(id))
        upDownEnabled_[UpDownIndex(id)] = enabled;
}

bool MainControl::UpDownEnabled(int id) const
{
    return IsUpDown(id) && upDownEnabled_[UpDownIndex(id)];
}

void MainControl::SetCaptureControlsEnabled(bool enabled, bool scanAllowed)
{
    SCANORA_ASSERT_GUI_THREAD();
    SetPrescanScanEnabled(enabled, enabled && scanAllowed);
    for (int id = kFirstUpDown; id < kFirstUpDown + kUpDownCount; ++id)
        controls_[id]->setEnabled(enabled && UpDownEnabled(id));
    for (const int id : {int(kScanName), int(kNotes), int(kFastPrescan), int(kCropPrescan),
                         int(kColorMode), int(kLock), int(kSuper), int(kView)})
        controls_[id]->setEnabled(enabled);
}

void MainControl::SetPrescanScanEnabled(bool prescan, bool scan)
{
    SCANORA_ASSERT_GUI_THREAD();
    prescanWanted_ = prescan;
    scanWanted_ = scan;
    ApplyPrescanScan();
}

void MainControl::SetCameraPresent(bool present)
{
    SCANORA_ASSERT_GUI_THREAD();
    cameraPresent_ = present;
    if (!present) {
        gauge_->ShowNoReading();
        Label(kDiskFree)->clear();
    }
    ApplyPrescanScan();
}

void MainControl::ApplyPrescanScan()
{
    controls_[kPrescan]->setEnabled(cameraPresent_ && prescanWanted_);
    controls_[kScan]->setEnabled(cameraPresent_ && scanWanted_);
}

void MainControl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Period && (event->modifiers() & Qt::ControlModifier)) {
        Q_EMIT abortKeyPressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace scanora::ui
