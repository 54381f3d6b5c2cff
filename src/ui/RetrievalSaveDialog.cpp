#include "ui/RetrievalSaveDialog.h"

#include <chrono>

#include "ui/GuiThread.h"

namespace scanora::ui {

namespace {

// How long the GUI thread may take to bring the dialog up; the user then takes their time.
constexpr std::chrono::seconds kShowLimit{10};

}  // namespace

RetrievalSaveDialog::RetrievalSaveDialog(GuiThread& gui, QWidget* parent, SaveFileChooser ask)
    : gui_(gui), parent_(parent), ask_(std::move(ask))
{
}

SaveFileRequest RetrievalSaveDialog::Request(const QString& proposedName, bool dng)
{
    if (dng)
        return {"Retrieve", proposedName, "DNG files (*.dng *)", "dng"};
    return {"Retrieve", proposedName, "TIFF files (*.tif *.tiff)", "tif"};
}

std::optional<std::filesystem::path> RetrievalSaveDialog::ChoosePath(
    const std::string& proposedFileName, bool dng)
{
    const SaveFileRequest request = Request(QString::fromStdString(proposedFileName), dng);
    const QString chosen =
        gui_.Ask<QString>([&]() -> QString { return ask_(parent_, request); }, QString(),
                          std::chrono::duration_cast<std::chrono::milliseconds>(kShowLimit));
    if (chosen.isEmpty())
        return std::nullopt;
    return std::filesystem::path(chosen.toStdString());
}

}  // namespace scanora::ui
