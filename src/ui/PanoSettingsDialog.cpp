#include "ui/PanoSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "camera/QVCamera.h"
#include "camera/QVPanoControl.h"
#include "context/AppContext.h"
#include "ui/GuiThread.h"

namespace scanora::ui {

namespace {

constexpr std::size_t kMin = 8;
constexpr std::size_t kMax = 9;
constexpr std::size_t kCentre = 10;

}  // namespace

PanoSettingsDialog::PanoSettingsDialog(const StageValues& values, bool panoramicCamera,
                                       QWidget* parent)
    : QDialog(parent), values_(values)
{
    setWindowTitle("Pano Settings");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    type_ = new QComboBox(this);
    type_->addItems({"Large Stage", "Small Stage", "Custom Stage", "Orbiscan Camera"});
    type_->setEnabled(!panoramicCamera);
    form->addRow("Stage", type_);
    return_ = new QCheckBox("Turn the stage back after each scan", this);
    form->addRow(return_);
    layout->addLayout(form);

    auto* motor = new QGroupBox("Motor parameters", this);
    auto* grid = new QGridLayout(motor);
    const char* names[StageValues::kMotorParamCount] = {
        "a",           "b",       "c",       "d",     "e", "f", "Acceleration",
        "Cruise rate", "Minimum", "Maximum", "Centre"};
    for (std::size_t i = 0; i < params_.size(); ++i) {
        params_[i] = new QSpinBox(motor);
        params_[i]->setRange(0, 65535);
        const int row = static_cast<int>(i % 6);
        const int column = static_cast<int>(i / 6) * 2;
        grid->addWidget(new QLabel(names[i], motor), row, column);
        grid->addWidget(params_[i], row, column + 1);
    }
    layout->addWidget(motor);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    return_->setChecked(values.returnAfterScan);
    const int type = panoramicCamera ? StageValues::kOrbiscanCamera : values.stageType;
    type_->setCurrentIndex(type);
    TypeChosen(type);
    connect(type_, &QComboBox::currentIndexChanged, this, &PanoSettingsDialog::TypeChosen);
    for (std::size_t i : {kMin, kMax})
        connect(params_[i], &QSpinBox::valueChanged, this, &PanoSettingsDialog::LimitsEdited);
}

void PanoSettingsDialog::TypeChosen(int type)
{
    SCANORA_ASSERT_GUI_THREAD();
    const bool custom = type == StageValues::kCustomStage;
    // A custom stage starts from the parameters it had; the others have their own.
    const StageValues::MotorParams params =
        custom ? values_.motorParams
               : StageValues::DefaultMotorParams(static_cast<std::int16_t>(type));
    showing_ = true;
    for (std::size_t i = 0; i < params_.size(); ++i) {
        params_[i]->setValue(params[i]);
        params_[i]->setEnabled(custom && i != kCentre);
    }
    showing_ = false;
    LimitsEdited();
}

void PanoSettingsDialog::LimitsEdited()
{
    if (showing_ || type_->currentIndex() != StageValues::kCustomStage)
        return;
    const int low = params_[kMin]->value();
    const int high = params_[kMax]->value();
    params_[kCentre]->setValue(low + (high - low) / 2);
}

StageValues PanoSettingsDialog::Values() const
{
    StageValues values = values_;
    values.stageType = static_cast<std::int16_t>(type_->currentIndex());
    for (std::size_t i = 0; i < params_.size(); ++i)
        values.motorParams[i] = static_cast<std::uint16_t>(params_[i]->value());
    values.returnAfterScan = return_->isChecked();
    return values;
}

bool PanoSettingsDialog::Edit(AppContext& app, QWidget* parent)
{
    SCANORA_ASSERT_GUI_THREAD();
    PanoSettingsDialog dialog(app.Pano().CurrentStageValues(), app.Camera().IsOrbiscan(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    app.Pano().ApplyStageValues(dialog.Values());
    // New parameters go to the camera at once, and the stage is placed for them.
    app.StartStage();
    return true;
}

}  // namespace scanora::ui
