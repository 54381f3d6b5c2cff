#pragma once

#include <optional>

#include "acquire/CaptureRequestBuilder.h"

namespace scanora {

// Where the stage is, as the position indicator shows it: whether the motor turns, and the
// preview row in front of the sensor.
struct StageReading {
    bool moving = false;
    int row = 0;
};

// The rotating stage as the capture sequence sees it: whether a panorama or roll-out turns the
// stage during a capture, Object mode's series of views, and the stage moves around captures.
// Without a stage control nothing rotates.
class CaptureStage {
public:
    virtual ~CaptureStage() = default;

    // The rotating capture in use (panorama or roll-out), or nothing.
    [[nodiscard]] virtual std::optional<RotatingCapture> Rotating() const { return {}; }
    // Object mode: one scan per view of the object.
    [[nodiscard]] virtual bool IsObjectMode() const { return false; }
    // The scans after the first that an Object mode series takes; a series over part of the
    // range first turns the object to the range's first view.
    [[nodiscard]] virtual int ObjectSeriesRemaining() { return 0; }
    // Turns the stage to its start before a rotating capture.
    virtual void PrepareStage() {}
    // After a rotating or Object mode prescan.
    virtual void FinishPrescan() {}
    // After a rotating scan (or its abort): waits for the motor and returns the stage.
    virtual void AfterRotatingScan() {}
    // Object mode: turns the object to its next view before the next scan of the series.
    virtual void NextObjectView() {}
    // The stage's motion and place, read from the camera's status; nothing when it could not be
    // read (or there is no stage).
    [[nodiscard]] virtual std::optional<StageReading> ReadStage() { return std::nullopt; }
};

}  // namespace scanora
