#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "cameradisk/RetrievalDestination.h"

namespace scanora {

class UiPort;

// Puts every retrieved image into one folder under its proposed name, asking before it
// replaces a file of that name (the terminal's -o folder; the Save-As dialog's overwrite
// prompt). A refusal cancels the retrieval, as cancelling the dialog would.
class RetrievalFolderChooser final : public RetrievalPathChooser {
public:
    RetrievalFolderChooser(std::filesystem::path folder, UiPort& ui);

    std::optional<std::filesystem::path> ChoosePath(const std::string& proposedFileName,
                                                    bool dng) override;

    // "<path> already exists.\nDo you want to replace it?"
    [[nodiscard]] static std::string ReplaceQuestion(const std::filesystem::path& path);

private:
    std::filesystem::path folder_;
    UiPort& ui_;
};

}  // namespace scanora
