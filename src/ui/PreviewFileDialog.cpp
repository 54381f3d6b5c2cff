#include "ui/PreviewFileDialog.h"

#include <QFileDialog>
#include <QString>
#include <QStringList>

namespace scanora {

std::optional<std::string> ChooseSavedPreview(QWidget* parent)
{
    QFileDialog dialog(parent, QString(), QString(),
                       QStringLiteral("Prescan Files (*.TIF *.tif);;All Files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("tif"));
    dialog.selectFile(QStringLiteral("PreviewPic.TIF"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

}  // namespace scanora
