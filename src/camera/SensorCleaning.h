#pragma once

#include <atomic>

#include "camera/SensorCarriage.h"

namespace scanora {

class QVCamera;

// Brings the sensor carriage to where the sensor can be cleaned, and back. The carriage is
// returned (to the centre, then home) unless the user chose to leave it at the cleaning
// position; once returned it is not moved again until the next Clean.
class SensorCleaning {
public:
    static constexpr int kCleaningPosition = 4992;

    explicit SensorCleaning(QVCamera& camera);

    // Switches the motor output to the carriage and moves it to the cleaning position. False
    // when a command failed (it has been reported).
    bool Clean();
    // The user leaves the carriage where it is (the cleaning dialog's OK).
    void Keep();
    // Switches the motor output to the carriage and, unless it was kept or returned already,
    // moves it to the centre and then home. False when a command failed (it has been reported);
    // a carriage that could not be selected is not moved and stays to be returned.
    bool Return();
    // The carriage need not be returned any more.
    [[nodiscard]] bool Settled() const { return settled_.load(); }

private:
    QVCamera& camera_;
    SensorCarriage carriage_;
    std::atomic<bool> settled_{false};
};

}  // namespace scanora
