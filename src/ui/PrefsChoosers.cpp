#include "ui/PrefsChoosers.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>

namespace scanora::ui {

namespace {

// The folder a file chooser starts in: that of the file chosen before, if any.
QString StartFolder(const QString& previous)
{
    return previous.isEmpty() ? QString() : QFileInfo(previous).absolutePath();
}

QString ChooseExistingFile(QWidget* parent, const QString& title, const QString& start,
                           const QStringList& filters, const QString& suffix,
                           const QString& shownFilter)
{
    QFileDialog dialog(parent, title, StartFolder(start));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(shownFilter);
    dialog.setDefaultSuffix(suffix);
    if (!start.isEmpty())
        dialog.selectFile(start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

PrefsChoosers PrefsChoosers::Standard()
{
    PrefsChoosers choosers;
    choosers.folder = [](QWidget* parent, const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(parent, title, start);
    };
    choosers.application = [](QWidget* parent, const QString& start) {
        // Programs here carry no extension: every file is shown first; ".exe" files are those
        // of programs run through a compatibility layer.
        return ChooseExistingFile(parent, "Choose Application", start,
                                  {"Executable Files (*.exe)", "All Files (*)"}, {},
                                  "All Files (*)");
    };
    choosers.sound = [](QWidget* parent, const QString& start) {
        return ChooseExistingFile(parent, "Choose Sound", start,
                                  {"Sound Files (*.wav)", "All Files (*)"}, "wav",
                                  "Sound Files (*.wav)");
    };
    choosers.color = [](QWidget* parent, const QColor& start) {
        return QColorDialog::getColor(start, parent, {}, QColorDialog::DontUseNativeDialog);
    };
    return choosers;
}

}  // namespace scanora::ui
