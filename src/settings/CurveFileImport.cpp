#include "settings/CurveFileImport.h"

#include "settings/SettingTools.h"
#include "settings/ToneCurveFile.h"

namespace scanora {

CurveFileImport::Result CurveFileImport::Load(const std::filesystem::path& path,
                                              SettingTools& tools)
{
    const auto handles = ToneCurveFile::Load(path);
    if (!handles)
        return {};
    if (!handles->empty()) {
        // The record taken from the curve carries its flags; only the handles are replaced.
        CurveSetting loaded;
        tools.Capture(loaded);
        loaded.SetHandles(*handles);
        tools.Apply(loaded);
    }
    Result result{tools.Create<CurveSetting>(), !handles->empty()};
    result.setting->SetName(path.stem().string());
    return result;
}

}  // namespace scanora
