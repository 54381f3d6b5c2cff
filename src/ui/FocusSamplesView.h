#pragma once

#include "camera/FocusDisplays.h"

namespace scanora::ui {

class CGraphButton;

// Puts a reading's samples into a graph button: red, green and blue each in its band, a channel
// that is not measured left out.
void ShowFocusSamples(const FocusReading& reading, CGraphButton& graph);

}  // namespace scanora::ui
