#pragma once

#include <cstdint>

namespace scanora {

class QVCamera;

// The moves of the sensor carriage: to a position in motor steps, to the centre, and home. The
// camera drives whichever motor its auxiliary mode selects; callers that mean the carriage
// switch that mode off first. A failed command has been reported by the camera object and leaves
// the carriage where it stopped; the results say whether every command was accepted, for callers
// that must tell (most need not).
class SensorCarriage {
public:
    explicit SensorCarriage(QVCamera& camera) : camera_(camera) {}

    // "MD" with the destination, then "CMV" and the wait for the move.
    bool MoveCarriage(std::uint16_t position);
    bool CentreCarriage();
    // "CMH": back to the carriage's resting place.
    bool HomeCarriage();

private:
    QVCamera& camera_;
};

}  // namespace scanora
