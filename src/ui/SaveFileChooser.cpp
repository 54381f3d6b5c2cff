#include "ui/SaveFileChooser.h"

#include <QFileDialog>

namespace scanora::ui {

QString AskForSaveFile(QWidget* parent, const SaveFileRequest& request)
{
    QFileDialog dialog(parent, request.title, QString(), request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

}  // namespace scanora::ui
