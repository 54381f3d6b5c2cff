#pragma once

#include <filesystem>
#include <memory>

#include "settings/CurveSetting.h"

namespace scanora {

class SettingTools;

// Loading a tone curve file into the current curve, the one way every command does it. The file
// holds handles only, so the handles replace the curve's and everything else the curve has
// (negative, black on top) stays as it is; the curve is switched on (a curve was chosen).
class CurveFileImport {
public:
    struct Result {
        // The setting made from the curve as it stands after the load, named after the file
        // (its name without folder and extension).
        std::unique_ptr<CurveSetting> setting;
        // Whether the file held any handles; a file without handles leaves the curve as it was.
        bool loadedHandles = false;
    };

    // Nothing (a null setting) when the file can not be read; the curve is then untouched.
    static Result Load(const std::filesystem::path& path, SettingTools& tools);
};

}  // namespace scanora
