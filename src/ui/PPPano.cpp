#include "ui/PPPano.h"

#include <QButtonGroup>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include "camera/QVCamera.h"
#include "camera/QVPanoControl.h"
#include "context/AppContext.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
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
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildMode());
    auto* modes = new QHBoxLayout;
    modes->addWidget(BuildScene());
    modes->addWidget(BuildRollout());
    layout->addLayout(modes);
    layout->addWidget(BuildObject());
    layout->addWidget(BuildStage());
    hint_ = new QLabel("Switch on \"Enable Pano Mode\" in the preferences to use the stage.", this);
    hint_->setWordWrap(true);
    layout->addWidget(hint_);
    layout->addStretch(1);
    Refresh();
}

QGroupBox* PPPano::BuildMode()
{
    auto* box = new QGroupBox("Mode", this);
    auto* row = new QHBoxLayout(box);
    modeGroup_ = new QButtonGroup(this);
    const char* names[4] = {"Off", "Scene", "Rollout", "Object"};
    for (int mode = 0; mode < 4; ++mode) {
        modes_[mode] = new QRadioButton(names[mode], box);
        modeGroup_->addButton(modes_[mode], mode);
        row->addWidget(modes_[mode]);
    }
    row->addStretch(1);
    size_ = new QLabel(box);
    row->addWidget(size_);
    connect(modeGroup_, &QButtonGroup::idClicked, this, &PPPano::ModeChosen);
    return box;
}

QGroupBox* PPPano::BuildScene()
{
    scene_ = new QGroupBox("Scene", this);
    auto* form = new QFormLayout(scene_);
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

QGroupBox* PPPano::BuildRollout()
{
    rollout_ = new QGroupBox("Rollout", this);
    auto* form = new QFormLayout(rollout_);
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

QGroupBox* PPPano::BuildObject()
{
    object_ = new QGroupBox("Object", this);
    auto* grid = new QGridLayout(object_);
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
    step_ = new QLabel(object_);
    grid->addWidget(new QLabel("Images", object_), 0, 0);
    grid->addWidget(images_, 0, 1);
    grid->addWidget(new QLabel("over", object_), 0, 2);
    grid->addWidget(degrees_, 0, 3);
    grid->addWidget(step_, 0, 4);
    grid->addWidget(new QLabel("Take images", object_), 1, 0);
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

QGroupBox* PPPano::BuildStage()
{
    stage_ = new QGroupBox("Stage", this);
    auto* grid = new QGridLayout(stage_);
    const char* names[4] = {"<< Coarse", "< Fine", "Fine >", "Coarse >>"};
    for (int jog = 0; jog < 4; ++jog) {
        jogs_[jog] = new StartStopButton(names[jog], stage_);
        grid->addWidget(jogs_[jog], 0, jog);
        connect(jogs_[jog], &StartStopButton::startRequested, this,
                [this, jog] { StartJog(static_cast<Jog>(jog)); });
        connect(jogs_[jog], &StartStopButton::stopRequested, this, &PPPano::StopJog);
    }
    position_ = new QLabel(stage_);
    calibrate_ = new QPushButton("Calibrate", stage_);
    settings_ = new QPushButton("Pano Settings...", stage_);
    grid->addWidget(position_, 1, 0, 1, 2);
    grid->addWidget(calibrate_, 1, 2);
    grid->addWidget(settings_, 1, 3);
    connect(calibrate_, &QPushButton::clicked, this, &PPPano::Calibrate);
    connect(settings_, &QPushButton::clicked, this, &PPPano::EditSettings);
    return stage_;
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
    scene_->setEnabled(on && mode == StageValues::kPanoOn);
    rollout_->setEnabled(on && mode == StageValues::kPanoRollout);
    object_->setEnabled(on && mode == StageValues::kPanoObject);
    stage_->setEnabled(on);
    hint_->setVisible(!allowed);
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
    app_.Pano().Calibrate();
    ShowPosition();
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
    const std::optional<std::uint16_t> position = app_.Pano().StagePosition();
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
