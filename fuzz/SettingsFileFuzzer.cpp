// Feeds arbitrary bytes to the setting records as a settings file. Every section reader must take
// them without reading out of bounds and stop at the end of the input; and whatever a record
// read, it must write it so that reading that text back gives the same text again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/OutputStream.h"
#include "settings/CurveSetting.h"
#include "settings/ExposureSetting.h"
#include "settings/HistogramSetting.h"
#include "settings/LineReader.h"
#include "settings/QVSetting.h"
#include "settings/SizeSetting.h"

namespace {

using namespace scanora;

// The record a Begin line opens, as the file reader chooses it; null for any other line.
std::unique_ptr<QVSetting> RecordFor(std::string_view key)
{
    if (key == SizeSetting::kBeginKey)
        return std::make_unique<SizeSetting>();
    if (key == ExposureSetting::kBeginKey)
        return std::make_unique<ExposureSetting>();
    if (key == CurveSetting::kBeginKey)
        return std::make_unique<CurveSetting>();
    if (key == HistogramSetting::kBeginKey)
        return std::make_unique<HistogramSetting>();
    return nullptr;
}

std::string Written(const QVSetting& record)
{
    MemoryOutputStream out;
    record.Write(out);
    return std::string(out.Text());
}

// Writing, reading into a fresh record and writing again must give the same bytes, and the
// written section must end with its own End line.
void CheckStable(std::string_view beginKey, const QVSetting& record)
{
    const std::string first = Written(record);
    LineReader in(first);
    std::string_view beginLine;
    if (!in.ReadLine(beginLine) || beginLine != beginKey)
        std::abort();
    const std::unique_ptr<QVSetting> twin = RecordFor(beginKey);
    if (!twin->Read(in) || !in.AtEnd())
        std::abort();
    if (Written(*twin) != first)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    LineReader in(std::string_view(reinterpret_cast<const char*>(data), size));
    std::string_view key;
    std::string_view value;
    while (QVSetting::ReadKeyValue(in, key, value)) {
        const std::string beginKey(key);
        const std::unique_ptr<QVSetting> record = RecordFor(beginKey);
        if (!record)
            continue;
        record->Read(in);
        CheckStable(beginKey, *record);
    }
    return 0;
}
