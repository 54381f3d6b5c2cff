#include "ui/RetrievalSaveDialog.h"

#include <chrono>

#include "ui/GuiThread.h"

namespace scanora::ui {

namespace {

// How long the GUI thread may take to bring the dialog up; the user then takes their time.
constexpr std::chrono::seconds kShowLimit{10};

}  // namespace

RetrievalSaveDialog::RetrievalSaveDialog(GuiThread& gui, QWidget* parent, FileChooser ask)
    : gui_(gui), parent_(parent), ask_(std::move(ask))
{
}

std::optional<std::filesystem::path> RetrievalSaveDialog::ChoosePath(
    const std::string& proposedFileName, bool dng)
{
    const FileDialogRequest request =
        FileDialogs::RetrievedImage(QString::fromStdString(proposedFileName), dng);
    using Chosen = std::optional<std::string>;
    const Chosen chosen =
        gui_.Ask<Chosen>([&] { return ask_(parent_, request); }, std::nullopt,
                         std::chrono::duration_cast<std::chrono::milliseconds>(kShowLimit));
    if (!chosen)
        return std::nullopt;
    return std::filesystem::path(*chosen);
}

}  // namespace scanora::ui
