#include "cameradisk/RetrievalDestination.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <cctype>
#include <system_error>

#include "cameradisk/ClaimedPaths.h"
#include "output/ScanNaming.h"
#include "platform/UiPort.h"

namespace scanora {

std::string RetrievalDestination::FileName(std::string_view imageName, UiPort& ui)
{
    return ScanNaming::LegalFileName(imageName, ui);
}

std::optional<std::filesystem::path> RetrievalDestination::AutomaticPath(
    const std::filesystem::path& folder, const std::string& fileName, ClaimedPaths& claimed,
    UiPort& ui)
{
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error)) {
        ui.ShowMessage(kMissingFolderWarning, MessageIcon::Exclamation, MessageButtons::Ok);
        return std::nullopt;
    }
    return claimed.Claim(folder / fileName, false);
}

bool RetrievalDestination::HasAcceptedExtension(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension == ".TIF" || extension == ".TIFF" || extension == ".DNG";
}

std::optional<std::uint64_t> RetrievalDestination::FreeBytes(const std::filesystem::path& folder)
{
    struct statvfs info {};
    const std::filesystem::path where = folder.empty() ? std::filesystem::path(".") : folder;
    if (::statvfs(where.c_str(), &info) != 0)
        return std::nullopt;
    return std::uint64_t{info.f_bavail} * info.f_frsize;
}

}  // namespace scanora
