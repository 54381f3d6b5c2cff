#include "cameradisk/RetrievalReportJson.h"

#include <utility>

#include "cameradisk/Retrieval.h"

namespace scanora {

namespace {

const char* StatusWord(RetrievalStatus status)
{
    switch (status) {
    case RetrievalStatus::Written: return "written";
    case RetrievalStatus::Skipped: return "skipped";
    case RetrievalStatus::Cancelled: return "cancelled";
    case RetrievalStatus::Failed: return "failed";
    }
    return "failed";
}

}  // namespace

JsonObject RetrievalReportJson::Of(const RetrievalReport& report)
{
    std::string files = "[";
    for (const RetrievalItem& item : report.items) {
        files += (files.size() > 1 ? ", " : "") + JsonObject()
                                                      .Integer("slot", item.slot)
                                                      .Text("name", item.name)
                                                      .Text("status", StatusWord(item.status))
                                                      .Text("path", item.path.string())
                                                      .Line();
    }
    return std::move(JsonObject().Bool("cancelled", report.cancelled).Raw("files", files + "]"));
}

}  // namespace scanora
