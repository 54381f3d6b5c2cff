#include "ui/PPPano.h"

#include <QButtonGroup>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include "camera/QVCamera.h"
#include "camera/QVPanoControl.h"
#include "context/AppContext.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "ui/CameraJobs.h"
#include "ui/GuiThread.h"
#include "ui/PanoSettingsDialog.h"
#include "ui/StartStopButton.h"

namespace scanora::ui {

namespace {

QDoubleSpinBox* NumberBox(double low, double high, int decimals, const QString& suffix,
                          QWidget* parent)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(low, high);
    box->setDecimals(decimals);
    box->setSuffix(suffix);
    box->setKeyboardTracking(false);
    return box;
}

QString Format(const char* format, double value)
{
    return QString::asprintf(format, value);
}

}  // namespace

PPPano::PPPano(AppContext& app, QWidget* parent) : QWidget(parent), app_(app)
{
    // Compact: the page shares its pane with the other pages beside the image.
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(BuildMode());
    // Only the values of the chosen mode are shown.
    modeValues_ = new QStackedWidget(this);
    modeValues_->addWidget(new QWidget(modeValues_));
    modeValues_->addWidget(BuildScene());
    modeValues_->addWidget(BuildRollout());
    modeValues_->addWidget(BuildObject());
    layout->addWidget(modeValues_);
    layout->addLayout(BuildStage());
    layout->addStretch(1);
    jobs_ = std::make_unique<CameraJobs>(*this);
    Refresh();
}

PPPano::~PPPano() = default;

QLayout* PPPano::BuildMode()
{
    auto* column = new QVBoxLayout;
    auto* row = new QHBoxLayout;
    column->addLayout(row);
    modeGroup_ = new QButtonGroup(this);
    const char* names[4] = {"Off", "Scene", "Rollout", "Object"};
    for (int mode = 0; mode < 4; ++mode) {
        modes_[mode] = new QRadioButton(names[mode], this);
        modeGroup_->addButton(modes_[mode], mode);
        row->addWidget(modes_[mode]);
    }
    row->addStretch(1);
    connect(modeGroup_, &QButtonGroup::idClicked, this, &PPPano::ModeChosen);
    // Under the modes: what a rotating capture gives, or an object series' step.
    size_ = new QLabel(this);
    step_ = new QLabel(this);
    hint_ = new QLabel("Enable Pano Mode in the preferences to use the stage.", this);
    hint_->setWordWrap(true);
    for (QLabel* label : {size_, step_, hint_}) column->addWidget(label);
    return column;
}

QWidget* PPPano::BuildScene()
{
    scene_ = new QWidget(this);
    auto* form = new QFormLayout(scene_);
    form->setContentsMargins(0, 0, 0, 0);
    focal_ =
        NumberBox(StageGeometry::kMinFocalLength, StageGeometry::kMaxFocalLength, 1, " mm", scene_);
    extent_ = NumberBox(StageGeometry::kMinScanExtent, StageGeometry::kMaxPageScanExtent, 1,
                        QString::fromUtf8(" \u00B0"), scene_);
    form->addRow("Focal length", focal_);
    form->addRow("Extent", extent_);
    for (QDoubleSpinBox* box : {focal_, extent_})
        connect(box, &QDoubleSpinBox::valueChanged, this, &PPPano::GeometryEdited);
    return scene_;
}

QWidget* PPPano::BuildRollout()
{
    rollout_ = new QWidget(this);
    auto* form = new QFormLayout(rollout_);
    form->setContentsMargins(0, 0, 0, 0);
    height_ = NumberBox(StageGeometry::kMinRolloutHeight, StageGeometry::kMaxRolloutHeight, 1,
                        " mm", rollout_);
    diameter_ = NumberBox(StageGeometry::kMinRolloutDiameter, StageGeometry::kMaxRolloutDiameter, 1,
                          " mm", rollout_);
    length_ = new QLabel(rollout_);
    form->addRow("Height", height_);
    form->addRow("Diameter", diameter_);
    form->addRow("Rolled out", length_);
    for (QDoubleSpinBox* box : {height_, diameter_})
        connect(box, &QDoubleSpinBox::valueChanged, this, &PPPano::GeometryEdited);
    return rollout_;
}

QWidget* PPPano::BuildObject()
{
    object_ = new QWidget(this);
    auto* grid = new QGridLayout(object_);
    grid->setContentsMargins(0, 0, 0, 0);
    images_ = new QSpinBox(object_);
    images_->setRange(1, 999);
    images_->setKeyboardTracking(false);
    degrees_ = NumberBox(0.0, 3600.0, 1, QString::fromUtf8(" \u00B0"), object_);
    first_ = new QSpinBox(object_);
    last_ = new QSpinBox(object_);
    for (QSpinBox* box : {first_, last_}) {
        box->setKeyboardTracking(false);
        box->setMinimum(1);
    }
    grid->addWidget(new QLabel("Images", object_), 0, 0);
    grid->addWidget(images_, 0, 1);
    grid->addWidget(new QLabel("over", object_), 0, 2);
    grid->addWidget(degrees_, 0, 3);
    grid->addWidget(new QLabel("Take", object_), 1, 0);
    grid->addWidget(first_, 1, 1);
    grid->addWidget(new QLabel("to", object_), 1, 2);
    grid->addWidget(last_, 1, 3);
    grid->setColumnStretch(4, 1);
    connect(images_, &QSpinBox::valueChanged, this, &PPPano::GeometryEdited);
    connect(degrees_, &QDoubleSpinBox::valueChanged, this, &PPPano::GeometryEdited);
    for (QSpinBox* box : {first_, last_})
        connect(box, &QSpinBox::valueChanged, this, &PPPano::RangeEdited);
    return object_;
}

QLayout* PPPano::BuildStage()
{
    auto* grid = new QGridLayout;
    const char* names[4] = {"<<", "<", ">", ">>"};
    const char* tips[4] = {"Hold to turn the stage fast towards its minimum",
                           "Hold to turn the stage slowly towards its minimum",
                           "Hold to turn the stage slowly towards its maximum",
                           "Hold to turn the stage fast towards its maximum"};
    grid->addWidget(new QLabel("Jog stage", this), 0, 0);
    auto* jogs = new QHBoxLayout;
    for (int jog = 0; jog < 4; ++jog) {
        jogs_[jog] = new StartStopButton(names[jog], this);
        jogs_[jog]->setToolTip(tips[jog]);
        jogs->addWidget(jogs_[jog]);
        connect(jogs_[jog], &StartStopButton::startRequested, this,
                [this, jog] { StartJog(static_cast<Jog>(jog)); });
        connect(jogs_[jog], &StartStopButton::stopRequested, this, &PPPano::StopJog);
    }
    jogs->addStretch(1);
    grid->addLayout(jogs, 0, 1);
    position_ = new QLabel(this);
    calibrate_ = new QPushButton("Calibrate", this);
    settings_ = new QPushButton("Pano Settings...", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(calibrate_);
    buttons->addWidget(settings_);
    buttons->addStretch(1);
    grid->addWidget(position_, 1, 0);
    grid->addLayout(buttons, 1, 1);
    connect(calibrate_, &QPushButton::clicked, this, &PPPano::Calibrate);
    connect(settings_, &QPushButton::clicked, this, &PPPano::EditSettings);
    return grid;
}

void PPPano::showEvent(QShowEvent* event)
{
    // The preferences may have switched panoramas on or off meanwhile.
    Refresh();
    QWidget::showEvent(event);
}

void PPPano::Refresh()
{
    SCANORA_ASSERT_GUI_THREAD();
    const QVPanoControl& pano = app_.Pano();
    const StageGeometry geometry = pano.Geometry();
    showing_ = true;
    modes_.at(std::clamp<int>(pano.PanoMode(), 0, 3))->setChecked(true);
    focal_->setValue(geometry.FocalLength());
    extent_->setValue(geometry.ScanExtent());
    height_->setValue(geometry.RolloutHeight());
    diameter_->setValue(geometry.RolloutDiameter());
    images_->setValue(geometry.NumImages());
    degrees_->setValue(geometry.NumDegrees());
    const QVPanoControl::ObjectRange range = pano.ObjectSeriesRange();
    first_->setMaximum(geometry.NumImages());
    last_->setMaximum(geometry.NumImages());
    first_->setValue(range.first);
    last_->setValue(range.last);
    showing_ = false;
    ShowReadouts();
    UpdateEnabled();
}

void PPPano::SetControlsEnabled(bool enabled)
{
    SCANORA_ASSERT_GUI_THREAD();
    captureEnabled_ = enabled;
    UpdateEnabled();
}

void PPPano::UpdateEnabled()
{
    const bool allowed = app_.CameraSetting().Prefs().enablePanoMode;
    const bool on = allowed && captureEnabled_;
    const int mode = app_.Pano().PanoMode();
    for (QRadioButton* button : modes_) button->setEnabled(on);
    modeValues_->setCurrentIndex(std::clamp(mode, 0, 3));
    modeValues_->setEnabled(on);
    for (QWidget* control : {static_cast<QWidget*>(calibrate_), static_cast<QWidget*>(settings_)})
        control->setEnabled(on);
    for (StartStopButton* jog : jogs_) jog->setEnabled(on);
    hint_->setVisible(!allowed);
    size_->setVisible(allowed && app_.Pano().IsRotatingCapture());
    step_->setVisible(allowed && mode == StageValues::kPanoObject);
}

void PPPano::ModeChosen(int mode)
{
    SCANORA_ASSERT_GUI_THREAD();
    app_.Pano().SetPanoMode(static_cast<std::int16_t>(mode));
    app_.StageValuesChanged();
    ShowReadouts();
    UpdateEnabled();
    Q_EMIT stageValuesChanged();
}

void PPPano::GeometryEdited()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (showing_)
        return;
    QVPanoControl& pano = app_.Pano();
    StageGeometry geometry = pano.Geometry();
    geometry.SetFocalLength(focal_->value());
    geometry.SetPageScanExtent(extent_->value());
    geometry.SetRolloutHeight(height_->value());
    geometry.SetRolloutDiameter(diameter_->value());
    geometry.SetNumImages(images_->value());
    geometry.SetNumDegrees(degrees_->value());
    pano.SetGeometry(geometry);
    app_.StageValuesChanged();
    // The range follows a changed number of images.
    Refresh();
    Q_EMIT stageValuesChanged();
}

void PPPano::RangeEdited()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (showing_)
        return;
    const int images = images_->value();
    const bool whole = first_->value() == 1 && last_->value() == images;
    app_.Pano().SetObjectRange(whole ? 0 : first_->value(), whole ? 0 : last_->value());
    Refresh();
}

void PPPano::StartJog(Jog jog)
{
    SCANORA_ASSERT_GUI_THREAD();
    const auto end = jog == kCoarseMin || jog == kFineMin ? QVPanoControl::JogEnd::Minimum
                                                          : QVPanoControl::JogEnd::Maximum;
    const auto speed = jog == kFineMin || jog == kFineMax ? QVPanoControl::JogSpeed::Fine
                                                          : QVPanoControl::JogSpeed::Coarse;
    app_.Pano().Jog(end, speed, app_.Size().GetInsertRotation());
}

void PPPano::StopJog()
{
    SCANORA_ASSERT_GUI_THREAD();
    app_.Pano().StopStage();
    ShowPosition();
}

void PPPano::Calibrate()
{
    SCANORA_ASSERT_GUI_THREAD();
    // The two test moves take seconds: they run off the GUI thread while the page is disabled.
    jobs_->Start([this]() -> CameraJobs::Continuation {
        app_.Pano().Calibrate();
        const std::optional<std::uint16_t> position = app_.Pano().StagePosition();
        return [this, position] { ShowPosition(position); };
    });
}

void PPPano::EditSettings()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (PanoSettingsDialog::Edit(app_, this)) {
        Refresh();
        Q_EMIT stageValuesChanged();
    }
}

void PPPano::ShowPosition()
{
    ShowPosition(app_.Pano().StagePosition());
}

void PPPano::ShowPosition(std::optional<std::uint16_t> position)
{
    SCANORA_ASSERT_GUI_THREAD();
    position_->setText(position ? QString("Position: %1").arg(*position) : QString());
}

void PPPano::ShowReadouts()
{
    const QVPanoControl& pano = app_.Pano();
    const StageGeometry geometry = pano.Geometry();
    size_->setText(pano.IsRotatingCapture()
                       ? QString::asprintf("%d pixels x %d lines", app_.Camera().GetSensorWidth(),
                                           pano.RotatingCaptureLines())
                       : QString());
    length_->setText(Format("%.1f mm", geometry.RolledOutLength()));
    step_->setText(Format("%.2f \u00B0 apart", geometry.DegreesBetweenImages()));
}

}  // namespace scanora::ui
