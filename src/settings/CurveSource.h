#pragma once

#include <vector>

#include "settings/CurveHandle.h"

namespace scanora {

// The tone curve in force, as a capture needs it: the handles, the negative flag and whether
// the curve is switched off for the 14-bit linear output ("None14").
struct CurveState {
    std::vector<CurveHandle> handles;
    bool negative = false;
    bool none14 = false;
};

// Whatever holds the current tone curve; the capture asks it at the moment it needs the curve.
class CurveSource {
public:
    virtual ~CurveSource() = default;

    [[nodiscard]] virtual CurveState CurrentCurve() const = 0;
};

}  // namespace scanora
