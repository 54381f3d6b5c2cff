#include "cameradisk/RetrievalFolderChooser.h"

#include <system_error>

#include "platform/UiPort.h"

namespace scanora {

RetrievalFolderChooser::RetrievalFolderChooser(std::filesystem::path folder, UiPort& ui)
    : folder_(std::move(folder)), ui_(ui)
{
}

std::string RetrievalFolderChooser::ReplaceQuestion(const std::filesystem::path& path)
{
    return path.string() + " already exists.\nDo you want to replace it?";
}

std::optional<std::filesystem::path> RetrievalFolderChooser::ChoosePath(
    const std::string& proposedFileName, bool /*dng*/)
{
    const std::filesystem::path path = folder_ / proposedFileName;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, error)) &&
        ui_.ShowMessage(ReplaceQuestion(path), MessageIcon::Exclamation, MessageButtons::YesNo) !=
            MessageResult::Yes)
        return std::nullopt;
    return path;
}

}  // namespace scanora
