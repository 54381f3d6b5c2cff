#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <utility>

#include "camera/CapturePreparation.h"
#include "camera/FocusDisplays.h"
#include "camera/FocusSampleDecoder.h"
#include "camera/FocusScore.h"

namespace scanora {

class CurveSource;
class QVCamera;
class QVPanoControl;

// The focus aid: parks the sensor carriage at the scene line the user picked, has the camera
// deliver a window of 100 pixels of that line again and again, and turns each delivery into one
// sharpness score per colour channel for the displays. The window lies where the user clicked
// on the preview and is as wide as the zoom level makes it: 100 samples at the decimation of the
// level's camera step.
//
// The settings may change from any thread while another one measures: the state is kept under
// a lock that is never held while the camera is asked anything.
class QVFocus {
public:
    static constexpr int kZoomLevels = 4;
    static constexpr int kDefaultZoom = 1;
    // "EY" values: the window's readout timing on each link.
    static constexpr int kUsbWindowTiming = 108;
    static constexpr int kScsiWindowTiming = 60;
    static constexpr int kNoLine = -1;
    enum Channel { kRed = 0, kGreen = 1, kBlue = 2 };

    // The tools are borrowed and must outlive the focus aid.
    QVFocus(QVCamera& camera, QVPanoControl& pano, const CurveSource& curve,
            FocusDisplays& displays);

    // The camera step ("EZ") of a zoom level (0 widest ... 3 finest) on a model.
    [[nodiscard]] static int CameraStep(std::uint16_t modelCode, int level);
    // The window's width in sensor pixels at a camera step: 100 x M / (M - step).
    [[nodiscard]] static int WindowWidth(int maxSizeStep, int step);
    // The carriage position for prescan line `line` of `lines`, with a full travel of
    // `travel` motor steps: from the upper limit down, never below the lower one.
    [[nodiscard]] static int CarriageTarget(int line, int lines, int travel);

    [[nodiscard]] int Zoom() const;
    [[nodiscard]] int WindowStart() const;
    [[nodiscard]] int PickedLine() const;
    [[nodiscard]] bool IsRunning() const;
    [[nodiscard]] bool IsWindowPlaced() const;
    [[nodiscard]] std::array<bool, FocusReading::kChannels> ChannelsEnabled() const;
    // The window's width at the current zoom, in sensor pixels and millimetres.
    [[nodiscard]] FocusWindowWidth Width() const;
    // The scores and samples of the last reading.
    [[nodiscard]] FocusReading LastReading() const;

    // Changes the zoom level (clamped to 0..3) keeping the window's centre; reconfigures the
    // camera while running.
    void SetZoom(int level);
    // Puts the window where the user clicked on the preview (column, line); while running the
    // focus aid starts again there.
    void PlaceWindow(int column, int line);
    // The preview place of the middle of the field: the column that puts the window in the
    // middle of the sensor row, and the middle line.
    [[nodiscard]] std::pair<int, int> CentrePlace() const;
    // Enables or disables a channel; reconfigures the camera while running.
    void SetChannelEnabled(int channel, bool enabled);

    // Sends the four window commands. False when one of them failed.
    bool ConfigureWindow();
    // Brings the carriage (or, with a rotating stage, the stage) to prescan line `line`.
    void MoveToFocusLine(int line);
    // Positions the carriage, configures the window, loads the 8-bit tables and starts over.
    // The caller runs the measuring loop while IsRunning().
    void StartFocus();
    // One reading: 0, or -1 when the exchange failed (the displays are then cleared).
    int MeasureFocus();
    // Centres the carriage and stops; nothing when not running.
    void StopFocus();

private:
    struct State {
        int zoom = kDefaultZoom;
        int windowStart = 0;
        int pickedLine = kNoLine;
        bool running = false;
        bool placed = false;
        bool failing = false;  // the last reading failed
        std::array<bool, FocusReading::kChannels> enabled{true, true, true};
        FocusScore score;
        FocusReading reading;
        FocusSampleDecoder decoder;
    };

    [[nodiscard]] int WidthAt(int zoom) const;
    [[nodiscard]] FocusWindowWidth WidthOf(int pixels) const;
    [[nodiscard]] bool RotatingStage() const;
    void FinishCarriageMove();

    QVCamera& camera_;
    QVPanoControl& pano_;
    const CurveSource& curve_;
    FocusDisplays& displays_;
    CapturePreparation preparation_;

    mutable std::mutex mutex_;
    State state_;
};

}  // namespace scanora
