#pragma once

#include "cameradisk/RetrievalDestination.h"
#include "ui/FileChooser.h"

class QWidget;

namespace scanora::ui {

class GuiThread;

// Asks on the GUI thread where a retrieved image goes, for a retrieval that runs on a worker:
// the Save-As dialog with the image's name proposed, "tif" or "dng" added to a bare name. A
// dialog that cannot be shown in time, or a window that has gone, counts as cancelled.
class RetrievalSaveDialog final : public RetrievalPathChooser {
public:
    // `parent` lives as long as `gui` is open: the dialog is only shown through it.
    RetrievalSaveDialog(GuiThread& gui, QWidget* parent, FileChooser ask);

    std::optional<std::filesystem::path> ChoosePath(const std::string& proposedFileName,
                                                    bool dng) override;

private:
    GuiThread& gui_;
    QWidget* parent_;
    FileChooser ask_;
};

}  // namespace scanora::ui
