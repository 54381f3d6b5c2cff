#include "cameradisk/RetrievalFolderChooser.h"

#include "platform/ReplaceConfirmation.h"

namespace scanora {

RetrievalFolderChooser::RetrievalFolderChooser(std::filesystem::path folder, UiPort& ui)
    : folder_(std::move(folder)), ui_(ui)
{
}

std::optional<std::filesystem::path> RetrievalFolderChooser::ChoosePath(
    const std::string& proposedFileName, bool /*dng*/)
{
    const std::filesystem::path path = folder_ / proposedFileName;
    if (!proposed_.insert(proposedFileName).second)
        return path;
    if (!ReplaceConfirmation::Confirm(ui_, path))
        return std::nullopt;
    return path;
}

}  // namespace scanora
