#include "ui/PrefsChoosers.h"

#include <QColorDialog>
#include <QFileDialog>

#include <string>

#include "ui/FileDialogs.h"

namespace scanora::ui {

namespace {

QString ChooseExistingFile(QWidget* parent, const FileDialogRequest& request)
{
    return QString::fromStdString(FileDialogs::Ask(parent, request).value_or(std::string()));
}

}  // namespace

PrefsChoosers PrefsChoosers::Standard()
{
    PrefsChoosers choosers;
    choosers.folder = [](QWidget* parent, const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(parent, title, start);
    };
    choosers.application = [](QWidget* parent, const QString& start) {
        return ChooseExistingFile(parent, FileDialogs::Application(start));
    };
    choosers.sound = [](QWidget* parent, const QString& start) {
        return ChooseExistingFile(parent, FileDialogs::Sound(start));
    };
    choosers.color = [](QWidget* parent, const QColor& start) {
        return QColorDialog::getColor(start, parent, {}, QColorDialog::DontUseNativeDialog);
    };
    return choosers;
}

}  // namespace scanora::ui
