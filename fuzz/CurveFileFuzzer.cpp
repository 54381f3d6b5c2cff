// Feeds arbitrary bytes to the tone curve file reader. It must not read past the bytes it is
// given, must never hand out more handles than a curve holds or coordinates outside the curve,
// and what it reads must be written so that it reads back the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/OutputStream.h"
#include "settings/CurveSetting.h"
#include "settings/ToneCurveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace scanora;
    const auto handles =
        ToneCurveFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (handles.size() > CurveSetting::kMaxHandles)
        std::abort();
    for (const auto& handle : handles) {
        if (handle.x < 0 || handle.x > CurveSetting::kMaxCoordinate || handle.y < 0 ||
            handle.y > CurveSetting::kMaxCoordinate)
            std::abort();
    }
    MemoryOutputStream out;
    ToneCurveFile::Write(out, handles);
    if (ToneCurveFile::Parse(out.Text()) != handles)
        std::abort();
    return 0;
}
