#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace scanora {

class QVCameraSetting;
class UiPort;

// The names captures are saved under: the automatic scan name with its counting suffix, the
// prescan file name, and the check that keeps a name inside the folder it is saved to.
class ScanNaming {
public:
    static constexpr std::string_view kIllegalCharacters = "/;*|:<>?\"\\";
    static constexpr std::string_view kLegalStandIn = "NeedLegalFileName";
    static constexpr std::string_view kIllegalWarning =
        "Warning - the file name contained illegal characters";
    static constexpr std::string_view kPrescanSuffix = "_pre";
    static constexpr std::string_view kTiffExtension = ".tif";

    // Advances the suffix by the increment (0 counts as 1) and returns the new scan name.
    static std::string AdvanceScanName(QVCameraSetting& setting);
    // Turning the automatic suffixes on shows the current automatic name without advancing the
    // number; turning them off gives the plain scan name back. Returns the scan-name field's text.
    static std::string SetUseAutoSuffixes(QVCameraSetting& setting, bool on);

    // True when `name` can be used as a file name inside a folder: not empty, not "." or "..",
    // no path separator, none of the characters the camera's names may not hold, no control
    // character.
    [[nodiscard]] static bool IsLegalFileName(std::string_view name);
    // `name`, or "NeedLegalFileName" after the warning when it is not a legal file name.
    static std::string LegalFileName(std::string_view name, UiPort& ui);

    // "<scan name>_pre".
    [[nodiscard]] static std::string PrescanBaseName(std::string_view scanName);
    // The automatic prescan file "<folder>/<scan name>_pre.tif"; a scan name that is not a legal
    // file name is replaced as LegalFileName does. Nothing for an empty folder.
    static std::optional<std::filesystem::path> AutoPrescanPath(const std::string& folder,
                                                                std::string_view scanName,
                                                                UiPort& ui);
    // True when the extension of the chosen file, upper-cased, is "TIF" or "TIFF".
    [[nodiscard]] static bool HasTiffExtension(const std::filesystem::path& path);
};

}  // namespace scanora
