#pragma once

#include "platform/JsonObject.h"

namespace scanora {

struct RetrievalReport;

// A retrieval's outcome as one line of JSON for programs (scanora-cli --json get, the desktop
// program's Retrieve on the session bus): whether it was cancelled, and for each slot asked for
// its slot, name, status ("written", "skipped", "cancelled", "failed") and path.
class RetrievalReportJson {
public:
    [[nodiscard]] static JsonObject Of(const RetrievalReport& report);
};

}  // namespace scanora
