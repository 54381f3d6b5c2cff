#pragma once

#include <QString>
#include <QStyle>
#include <QWidget>

#include <array>
#include <map>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace scanora::ui {

class CAutoButton;
class FuelGauge;

// The main control panel: the capture's key numbers (output size, file size, scan area,
// resolution, line time, ISO), the colour mode, the scan name, the Prescan and Scan buttons with
// their times, and the camera's name, disk space and supply voltage. It only shows values and
// reports the user's clicks; the UI controller decides what they do.
class MainControl : public QWidget {
    Q_OBJECT

public:
    // Controls, by the numbers the program has always given them.
    enum Id : int {
        kOutputSize = 1000,
        kFileSize = 1002,
        kColorMode = 1003,
        kScanName = 1011,
        kFastPrescan = 1013,
        kPrescan = 1016,
        kScan = 1017,
        kNotes = 1018,
        kCropPrescan = 1032,
        kSuper = 1033,
        kView = 1034,
        kSizeLock = 1044,
        kScanArea = 1054,
        kResolution = 1055,
        kLineTime = 1056,
        kIso = 1057,
        kScanAreaUp = 1059,
        kScanAreaDown = 1060,
        kResolutionUp = 1061,
        kResolutionDown = 1062,
        kLineTimeUp = 1063,
        kLineTimeDown = 1064,
        kIsoUp = 1065,
        kIsoDown = 1066,
        kPrescanTime = 1082,
        kScanTime = 1083,
        kVoltage = 1090,
        kDiskFree = 1121,
        kModelName = 1123,
        kCameraIcon = 1125,
        kSizeCaption = 1187,
        kResolutionUnit = 1188,
        kLock = 1286,
    };
    static constexpr int kFirstUpDown = kScanAreaUp;
    static constexpr int kUpDownCount = 8;

    explicit MainControl(QWidget* parent = nullptr);

    [[nodiscard]] QLabel* Label(int id) const;
    [[nodiscard]] QAbstractButton* Button(int id) const;
    [[nodiscard]] QComboBox* ColorModeBox() const { return colorMode_; }
    [[nodiscard]] QLineEdit* ScanNameEdit() const { return scanName_; }
    [[nodiscard]] FuelGauge* Gauge() const { return gauge_; }
    [[nodiscard]] QString Text(int id) const;

    void SetText(int id, const QString& text);
    void SetChecked(int id, bool checked);
    void SetLockIcon(int id, bool locked);
    // Whether the line time is in step with the flicker of the lamps the line-time table is
    // made for: a box drawn around the value when it is not, and the reason in its tooltip.
    void SetLineTimeInStep(bool inStep, int table);
    [[nodiscard]] bool LineTimeInStep() const { return lineTimeInStep_; }
    void SetCameraIcon(int kind);  // 0 none, 1 panoramic model, 2 camera

    // An up/down button whose flag is clear only shows itself pressed.
    void SetUpDownEnabled(int id, bool enabled);
    [[nodiscard]] bool UpDownEnabled(int id) const;
    // The capture controls: off during a capture and in focus mode; Scan only when allowed.
    void SetCaptureControlsEnabled(bool enabled, bool scanAllowed);
    // Prescan and Scan as the capture wants them; without a camera both stay off.
    void SetPrescanScanEnabled(bool prescan, bool scan);
    // Whether a camera answers. Without one the panel shows no voltage and no disk figure, and
    // Prescan and Scan are off until it is back.
    void SetCameraPresent(bool present);
    [[nodiscard]] bool CameraPresent() const { return cameraPresent_; }

Q_SIGNALS:
    // A button or check box: its id and check state.
    void controlActivated(int id, bool checked);
    void colorModeSelected(int mode);
    void scanNameEdited(const QString& name);
    // Ctrl and "." while the panel has the focus.
    void abortKeyPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* AddLabel(int id, const QString& text = {});
    QCheckBox* AddCheck(int id, const QString& text);
    QPushButton* AddButton(int id, const QString& text);
    CAutoButton* AddUpDown(int id, QStyle::StandardPixmap arrow);

    std::map<int, QWidget*> controls_;
    void ApplyPrescanScan();

    std::array<bool, kUpDownCount> upDownEnabled_{};
    bool cameraPresent_ = false;
    bool lineTimeInStep_ = true;
    bool prescanWanted_ = true;
    bool scanWanted_ = true;
    QComboBox* colorMode_ = nullptr;
    QLineEdit* scanName_ = nullptr;
    FuelGauge* gauge_ = nullptr;
};

}  // namespace scanora::ui
