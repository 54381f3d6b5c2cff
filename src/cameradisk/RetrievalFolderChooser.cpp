#include "cameradisk/RetrievalFolderChooser.h"

#include "platform/ReplaceConfirmation.h"

namespace scanora {

RetrievalFolderChooser::RetrievalFolderChooser(std::filesystem::path folder, UiPort& ui,
                                               std::string fileName)
    : folder_(std::move(folder)), ui_(ui), fileName_(std::move(fileName))
{
}

std::optional<std::filesystem::path> RetrievalFolderChooser::ChoosePath(
    const std::string& proposedFileName, bool /*dng*/)
{
    const std::string& name = fileName_.empty() ? proposedFileName : fileName_;
    const std::filesystem::path path = folder_ / name;
    if (!proposed_.insert(name).second)
        return path;
    if (!ReplaceConfirmation::Confirm(ui_, path))
        return std::nullopt;
    return path;
}

}  // namespace scanora
