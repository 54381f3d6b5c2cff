#include "camsim/CommandOutcome.h"

#include <cstdio>

namespace camsim {

CommandOutcome CommandOutcome::Error(unsigned code)
{
    char text[16];
    std::snprintf(text, sizeof text, "#E%.2X", code);
    return Reply(text);
}

CommandOutcome CommandOutcome::OkOrError(unsigned code)
{
    return code == CameraErrorCode::kNone ? Ok() : Error(code);
}

}  // namespace camsim
