#pragma once

#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class QButtonGroup;
class QDoubleSpinBox;
class QLayout;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;

namespace scanora {
class AppContext;
}

namespace scanora::ui {

class CameraJobs;
class StartStopButton;

// The panorama page: the panorama mode (Off, Scene, Rollout, Object) and the values of each
// mode: the lens and extent of a scene, the object's height and diameter for a roll-out with
// the length it rolls out, the images and degrees of an object series and the part of it to
// take; the size a rotating capture gives; the four jog buttons that turn the stage while they
// are held; the stage's position and its calibration. Every change goes to the stage control
// at once. The page works only while the preferences enable panoramas.
class PPPano : public QWidget {
    Q_OBJECT

public:
    enum Jog : int { kCoarseMin = 0, kFineMin = 1, kFineMax = 2, kCoarseMax = 3 };

    explicit PPPano(AppContext& app, QWidget* parent = nullptr);
    // Waits for a calibration under way.
    ~PPPano() override;

    [[nodiscard]] QRadioButton* ModeButton(int mode) const { return modes_.at(mode); }
    [[nodiscard]] StartStopButton* JogButton(Jog jog) const { return jogs_.at(jog); }
    [[nodiscard]] QLabel* SizeLabel() const { return size_; }
    [[nodiscard]] QLabel* LengthLabel() const { return length_; }
    [[nodiscard]] QLabel* StepLabel() const { return step_; }
    [[nodiscard]] QLabel* PositionLabel() const { return position_; }
    [[nodiscard]] QPushButton* CalibrateButton() const { return calibrate_; }
    [[nodiscard]] QPushButton* SettingsButton() const { return settings_; }
    [[nodiscard]] QSpinBox* ImagesBox() const { return images_; }
    [[nodiscard]] QSpinBox* FirstImageBox() const { return first_; }
    [[nodiscard]] QSpinBox* LastImageBox() const { return last_; }
    [[nodiscard]] QDoubleSpinBox* ExtentBox() const { return extent_; }

    // Shows the stage control's values.
    void Refresh();
    // Off during a capture that the panorama takes part in, on again after it.
    void SetControlsEnabled(bool enabled);
    // The Pano Settings dialog; OK sends the new motor parameters to the camera.
    void EditSettings();

Q_SIGNALS:
    // The mode or the geometry changed: the output size may have changed with it.
    void stageValuesChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLayout* BuildMode();
    QWidget* BuildScene();
    QWidget* BuildRollout();
    QWidget* BuildObject();
    QLayout* BuildStage();
    void ModeChosen(int mode);
    // Hands the geometry in the fields to the stage control.
    void GeometryEdited();
    void RangeEdited();
    void StartJog(Jog jog);
    void StopJog();
    void Calibrate();
    void ShowPosition();
    void ShowPosition(std::optional<std::uint16_t> position);
    void ShowReadouts();
    void UpdateEnabled();

    AppContext& app_;
    std::array<QRadioButton*, 4> modes_{};
    QButtonGroup* modeGroup_ = nullptr;
    QStackedWidget* modeValues_ = nullptr;  // the chosen mode's group
    QWidget* scene_ = nullptr;
    QWidget* rollout_ = nullptr;
    QWidget* object_ = nullptr;
    QDoubleSpinBox* focal_ = nullptr;
    QDoubleSpinBox* extent_ = nullptr;
    QDoubleSpinBox* height_ = nullptr;
    QDoubleSpinBox* diameter_ = nullptr;
    QSpinBox* images_ = nullptr;
    QDoubleSpinBox* degrees_ = nullptr;
    QSpinBox* first_ = nullptr;
    QSpinBox* last_ = nullptr;
    QLabel* size_ = nullptr;
    QLabel* length_ = nullptr;
    QLabel* step_ = nullptr;
    QLabel* position_ = nullptr;
    QLabel* hint_ = nullptr;
    std::array<StartStopButton*, 4> jogs_{};
    QPushButton* calibrate_ = nullptr;
    QPushButton* settings_ = nullptr;
    bool captureEnabled_ = true;
    bool showing_ = false;              // while Refresh fills the fields
    std::unique_ptr<CameraJobs> jobs_;  // calibration, off the GUI thread
};

}  // namespace scanora::ui
