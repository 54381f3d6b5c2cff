#include "output/ScanNaming.h"

#include <algorithm>
#include <cctype>

#include "platform/UiPort.h"
#include "settings/QVCameraSetting.h"

namespace scanora {

std::string ScanNaming::AdvanceScanName(QVCameraSetting& setting)
{
    return setting.NextAutoFileName();
}

std::string ScanNaming::SetUseAutoSuffixes(QVCameraSetting& setting, bool on)
{
    CameraPreferences& prefs = setting.Prefs();
    prefs.useAutoSuffixes = on;
    if (!on)
        return prefs.scanName;
    // Stepping back by the increment and forward again leaves the number where it was.
    return setting.CurrentAutoFileName();
}

bool ScanNaming::IsLegalFileName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F || kIllegalCharacters.find(c) != std::string_view::npos;
    });
}

std::string ScanNaming::LegalFileName(std::string_view name, UiPort& ui)
{
    if (IsLegalFileName(name))
        return std::string(name);
    ui.ShowMessage(kIllegalWarning, MessageIcon::Exclamation, MessageButtons::Ok);
    return std::string(kLegalStandIn);
}

std::string ScanNaming::PrescanBaseName(std::string_view scanName)
{
    return std::string(scanName) + std::string(kPrescanSuffix);
}

std::optional<std::filesystem::path> ScanNaming::AutoPrescanPath(const std::string& folder,
                                                                 std::string_view scanName,
                                                                 UiPort& ui)
{
    if (folder.empty())
        return std::nullopt;
    const std::string base = PrescanBaseName(LegalFileName(scanName, ui));
    return std::filesystem::path(folder) / (base + std::string(kTiffExtension));
}

bool ScanNaming::HasTiffExtension(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension == ".TIF" || extension == ".TIFF";
}

}  // namespace scanora
