#include "camsim/CommandOutcome.h"

#include <cstdio>

namespace camsim {

CommandOutcome CommandOutcome::Error(unsigned code)
{
    char text[16];
    std::snprintf(text, sizeof text, "#E%.2X", code);
    return Reply(text);
}

}  // namespace camsim
