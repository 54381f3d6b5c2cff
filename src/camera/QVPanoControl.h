#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "camera/CaptureConditions.h"
#include "camera/StageGeometry.h"
#include "camera/StageMotor.h"
#include "camera/StageScale.h"
#include "settings/StagePreferences.h"
#include "settings/StageValues.h"

namespace scanora {

class QVCamera;
class UiPort;

// The motorised stage behind the camera's motor output, used for panoramas, roll-outs and object
// series: the stage type and its motor parameters, the panorama mode and geometry, the
// overshoot the stage coasts past a destination, and the commands that move, stop, preset and
// calibrate it (through StageMotor).
//
// The values change on the user-interface thread (preferences, the panorama page); the capture
// threads read them and move the stage, so the values are kept under a lock and every operation
// works on a consistent copy. The lock is never held while the camera is asked anything.
class QVPanoControl final : public StagePreferences {
public:
    static constexpr int kCoarseOvershoot = 67;
    static constexpr int kFineOvershoot = 1;
    static constexpr int kPanoramicCoarseOvershoot = 136;
    static constexpr int kPanoramicFineOvershoot = 2;
    static constexpr std::string_view kRotatingText = "Rotating stage...";

    // The overshoots a calibration measured, in motor steps.
    struct Calibration {
        int coarse = 0;
        int fine = 0;
    };
    // The part of an object series that is taken: images `first` to `last` of the number of
    // images, counted from 1.
    struct ObjectRange {
        int first = 1;
        int last = 1;
    };

    // The ends of the stage's travel a jog goes to, and how fast.
    enum class JogEnd { Minimum, Maximum };
    enum class JogSpeed { Fine, Coarse };

    // The camera and the user port are borrowed and must outlive the stage control.
    QVPanoControl(QVCamera& camera, UiPort& ui, StageTiming timing = {});
    // Hands the motor output back to the sensor carriage when a camera is connected.
    ~QVPanoControl() override;
    QVPanoControl(const QVPanoControl&) = delete;
    QVPanoControl& operator=(const QVPanoControl&) = delete;

    // Called in every wait for the motor so the preview keeps drawing; null for none.
    void SetRedraw(std::function<void()> redraw);
    // Called when a rotation has ended or the stage was stopped, so the view restores its state.
    void SetViewStateChanged(std::function<void()> changed);

    // --- Values (StagePreferences) ---

    [[nodiscard]] StageValues CurrentStageValues() const override;
    // Takes the values over without moving anything. The panoramic camera always turns itself
    // (stage type 3); stage type 3 with any other camera is the small stage. A custom stage takes
    // its motor parameters from the values and centres between their minimum and maximum, the
    // others use their built-in parameters. A change of stage type restores that type's
    // overshoots.
    void ApplyStageValues(const StageValues& values) override;
    // Applies the values, uploads the motor parameters and, while a rotating capture is in use,
    // presets the stage at the centre plus half the extent (at most the maximum position). Used
    // at start-up and after the stage settings change.
    bool StartUp(const StageValues& values);

    [[nodiscard]] std::int16_t StageType() const;
    [[nodiscard]] StageValues::MotorParams MotorParams() const;
    [[nodiscard]] std::int16_t PanoMode() const;
    void SetPanoMode(std::int16_t mode);
    [[nodiscard]] StageGeometry Geometry() const;
    void SetGeometry(const StageGeometry& geometry);
    [[nodiscard]] int CoarseOvershoot() const;
    [[nodiscard]] int FineOvershoot() const;
    [[nodiscard]] bool ReturnAfterScan() const;
    void SetReturnAfterScan(bool on);
    // Set by the jogs, cleared when a capture has positioned the stage.
    [[nodiscard]] bool UserMovedStage() const;
    void SetUserMovedStage(bool moved);
    // Set when ReturnStage has preset the stage after a scan.
    [[nodiscard]] bool StageReturned() const;
    // The sensor pixels a roll-out maps the object's height onto (default: the sensor width).
    void SetCapturePixels(int pixels);

    // --- What the capture asks ---

    // A panorama (mode 1) or roll-out (mode 2) turns the stage during the capture.
    [[nodiscard]] bool IsRotatingCapture() const;
    // An object series (mode 3) turns the stage between captures.
    [[nodiscard]] bool IsObjectMode() const;
    // The further images of an object series after the first: the last image of its range less
    // the first (the number of images less one for the whole series).
    [[nodiscard]] int ObjectImageCount() const;
    // The images of the series that a scan takes; the whole series unless the user picked a
    // part of it. A range outside the number of images is brought within it.
    [[nodiscard]] ObjectRange ObjectSeriesRange() const;
    // Picks images `first` to `last` (counted from 1); both 0: the whole series again. The range
    // is the user's choice of the moment and is not kept in the preferences.
    void SetObjectRange(int first, int last);
    // Before a series over a part of the range: turns the object on from the first view to the
    // first image of the range, one view at a time.
    bool AdvanceToRangeStart();
    // The lens focal length in millimetres; in roll-out mode the one the roll-out geometry asks.
    [[nodiscard]] double FocalLength() const;
    // The lines the extent sweeps at full resolution (truncated); the preview takes this
    // divided by the coarsest size step in place of the camera's travel.
    [[nodiscard]] int RotatingCaptureLines() const;
    // The rate value (motor parameter a) and focal length the shortest line times depend on,
    // while a rotating capture is in use.
    [[nodiscard]] std::optional<StageMotion> RotatingStageMotion() const;
    // The two stage values a capture's description carries: the focal length and the extent
    // of a panorama, the diameter and height of a roll-out.
    [[nodiscard]] std::pair<double, double> DescriptionValues() const;
    // The conversions at the current values and camera.
    [[nodiscard]] StageScale Scale() const;

    // --- Stage commands ---

    bool UploadMotorParameters();
    bool MoveStage(std::uint16_t destination);
    bool MoveCoarse(std::uint16_t destination);
    bool MoveFine(std::uint16_t destination);
    // Stops the motor and tells the view.
    bool StopStage();
    // Presets the motor position to `position` (the stage does not move).
    bool PositionStage(std::uint16_t position);
    // The stage's motor position (the motor output switched to the stage first); nothing when
    // the camera did not tell it.
    std::optional<std::uint16_t> StagePosition();
    // Whether the motor turns and where it is, from one status query (the motor output is
    // left as it is); nothing when the status could not be read.
    struct StageStatus {
        bool moving = false;
        std::uint16_t position = 0;
    };
    std::optional<StageStatus> ReadStageStatus();
    std::optional<bool> StageMoving();
    // The prescan line (at the coarsest size step) in front of the sensor with the stage at
    // `position`: 0 at the start of the extent, counting up as the stage turns down.
    [[nodiscard]] int PreviewLineAt(std::uint16_t position) const;
    // The stage offset the camera reports ("MT"); 0 when it could not be read.
    std::uint16_t ReadStageOffset();
    // Turns the stage to `target`, stopping short by the overshoot so that it coasts onto it,
    // and waits until the motor stops. True when the stage is there or was already.
    bool RotateTo(std::uint16_t target);
    // Turns the stage so that the prescan's line `line` is in front of the sensor.
    bool RotateToLine(int line);
    // Measures the coarse and fine overshoot with two test moves and keeps them. The overshoots
    // are replaced only when every move and reading succeeded.
    std::optional<Calibration> MeasureOvershoot();
    // MeasureOvershoot, then shows the result as CalibrationText says it.
    bool Calibrate();
    // "Calibration: 67, 1".
    [[nodiscard]] static std::string CalibrationText(const Calibration& calibration);
    // Moves the stage towards one end of its travel (the ends swap for orientation 3).
    bool Jog(JogEnd end, JogSpeed speed, int orientation);

    // --- Capture steps ---

    // Before a rotating capture: turns the stage to the start of the extent, less
    // `firstLineOffset` full-resolution lines for a capture of a crop or super prescan region
    // that starts that far along the travel. Skipped while the user has moved the stage.
    bool PrepareStage(int firstLineOffset = 0);
    // After a motor stop: presets the stage so that its present place counts as the start of
    // the next capture of the same region (`cropOffset` full-resolution lines along the travel).
    bool ReturnStage(int cropOffset = 0);
    // After a rotating prescan: waits until the stage has stopped, so that the next capture's
    // preparation starts from where it came to rest.
    bool FinishPrescan();
    // After a rotating scan: waits for the stage, returns it when return-after-scan is set, and
    // leaves the motor output on the stage.
    bool AfterRotatingScan(int cropOffset = 0);
    // Before each further image of an object series: turns the object by the degrees between
    // images towards lower motor positions, then hands the motor output back to the carriage.
    bool NextObjectView();

private:
    struct State {
        std::int16_t stageType = StageValues::kSmallStage;
        StageValues::MotorParams motorParams = StageValues::DefaultMotorParams(1);
        std::int16_t panoMode = StageValues::kPanoOff;
        std::int16_t latentPanoMode = StageValues::kPanoOff;
        StageGeometry geometry;
        bool returnAfterScan = true;
        int coarseOvershoot = kCoarseOvershoot;
        int fineOvershoot = kFineOvershoot;
        int capturePixels = 0;
        int rangeFirst = 0;  // 0: the whole series
        int rangeLast = 0;
    };
    // Positions in the motor parameters.
    enum MotorParam { kA = 0, kMin = 8, kMax = 9, kCentre = 10 };

    [[nodiscard]] State Snapshot() const;
    [[nodiscard]] StageScale ScaleOf(const State& state) const;
    [[nodiscard]] double FocalLengthOf(const State& state) const;
    [[nodiscard]] std::uint16_t ExtentStartOf(const State& state) const;
    [[nodiscard]] static ObjectRange RangeOf(const State& state);
    void SetOvershootsFor(std::int16_t stageType);
    void NotifyViewStateChanged();
    // Runs a copy of `hook` (one of the members below) outside the lock.
    void CallHook(const std::function<void()>& hook);
    // Turns from the known position `current` to `target`.
    bool RotateFrom(std::uint16_t current, std::uint16_t target);
    // Waits for the stage after a move, redrawing the preview meanwhile.
    bool WaitAfterMove();

    QVCamera& camera_;
    UiPort& ui_;
    StageMotor motor_;

    mutable std::mutex mutex_;  // guards the state, the flags and the hooks
    State state_;
    bool userMoved_ = false;
    bool returned_ = false;
    std::function<void()> redraw_;
    std::function<void()> viewStateChanged_;
};

}  // namespace scanora
