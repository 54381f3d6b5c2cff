#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "cameradisk/RetrievalDestination.h"

namespace scanora {

class UiPort;

// Puts every retrieved image into one folder under its proposed name, or under the file name
// given (the terminal's -o FILE for one image), asking before it replaces a file of that name
// (the terminal's -o folder; the Save-As dialog's overwrite prompt). A refusal cancels the
// retrieval, as cancelling the dialog would. A name proposed again in the same retrieval is not
// asked about twice: the later image gets a numbered name.
class RetrievalFolderChooser final : public RetrievalPathChooser {
public:
    RetrievalFolderChooser(std::filesystem::path folder, UiPort& ui, std::string fileName = {});

    void BeginRetrieval() override { proposed_.clear(); }
    std::optional<std::filesystem::path> ChoosePath(const std::string& proposedFileName,
                                                    bool dng) override;

private:
    std::filesystem::path folder_;
    UiPort& ui_;
    std::string fileName_;
    std::set<std::string> proposed_;
};

}  // namespace scanora
