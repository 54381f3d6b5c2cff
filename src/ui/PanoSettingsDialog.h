#pragma once

#include <QDialog>

#include <array>

#include "settings/StageValues.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace scanora {
class AppContext;
}

namespace scanora::ui {

// "Pano Settings": the stage type, its eleven motor parameters (a ... f, acceleration, cruise
// rate, minimum, maximum and centre position) and whether the stage turns back after a scan.
// Only a custom stage takes parameters of its own; the others show theirs, and a custom stage's
// centre lies halfway between its minimum and maximum. The panoramic camera always turns itself.
class PanoSettingsDialog : public QDialog {
    Q_OBJECT

public:
    PanoSettingsDialog(const StageValues& values, bool panoramicCamera, QWidget* parent = nullptr);

    // The values as edited (the mode and geometry as they came in).
    [[nodiscard]] StageValues Values() const;
    [[nodiscard]] QComboBox* TypeBox() const { return type_; }
    [[nodiscard]] QSpinBox* ParamBox(std::size_t index) const { return params_.at(index); }
    [[nodiscard]] QCheckBox* ReturnBox() const { return return_; }

    // Shows the dialog for the stage control's values; on OK the stage control takes the new
    // values, sends the motor parameters to the camera and presets the stage. True on OK.
    static bool Edit(AppContext& app, QWidget* parent);

private:
    void TypeChosen(int type);
    void LimitsEdited();

    StageValues values_;
    QComboBox* type_ = nullptr;
    std::array<QSpinBox*, StageValues::kMotorParamCount> params_{};
    QCheckBox* return_ = nullptr;
    bool showing_ = false;
};

}  // namespace scanora::ui
