#pragma once

#include <QColor>

namespace scanora {

// The colour a colour sample point is drawn in, by its colour code (0 to 11; grey for any other),
// in the histogram, the curve editor and on the image.
QColor SamplePointColor(int code);

}  // namespace scanora
