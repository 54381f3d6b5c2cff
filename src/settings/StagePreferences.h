#pragma once

#include "settings/StageValues.h"

namespace scanora {

// The stage control as the preferences see it. The stage control implements it; until it exists
// the preferences keep the values themselves.
class StagePreferences {
public:
    virtual ~StagePreferences() = default;

    [[nodiscard]] virtual StageValues CurrentStageValues() const = 0;
    // Takes the values over (the stage control applies its own rules, such as the panoramic
    // camera's own stage type).
    virtual void ApplyStageValues(const StageValues& values) = 0;
};

}  // namespace scanora
