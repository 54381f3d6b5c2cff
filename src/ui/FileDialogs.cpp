#include "ui/FileDialogs.h"

#include <QFileDialog>
#include <QStringList>

#include "ui/GuiThread.h"

namespace scanora {

QString FileDialogs::QtFilter(const QString& filter)
{
    const QStringList parts = filter.split('|', Qt::SkipEmptyParts);
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        if (const qsizetype open = label.indexOf('('); open >= 0)
            label.truncate(open);
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        entries << label.trimmed() + " (" + patterns.trimmed() + ")";
    }
    return entries.join(QStringLiteral(";;"));
}

std::optional<std::string> FileDialogs::Ask(QWidget* parent, const FileDialogRequest& request)
{
    SCANORA_ASSERT_GUI_THREAD();
    QFileDialog dialog(parent, request.title, QString(), QtFilter(request.filter));
    const bool open = request.kind == FileDialogRequest::Kind::Open;
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

std::optional<std::string> FileDialogs::SavedPreviewToLoad(QWidget* parent)
{
    return Ask(parent, {FileDialogRequest::Kind::Open, QStringLiteral("Load Prescan"),
                        kPrescanFilter, QStringLiteral("tif"), QStringLiteral("PreviewPic.TIF")});
}

std::optional<std::string> FileDialogs::PrescanToSave(QWidget* parent, const QString& baseName)
{
    return Ask(parent, {FileDialogRequest::Kind::Save, QStringLiteral("Save Prescan"), kTiffFilter,
                        QStringLiteral("tif"), baseName});
}

std::optional<std::string> FileDialogs::SettingsToLoad(QWidget* parent)
{
    return Ask(parent, {FileDialogRequest::Kind::Open,
                        QStringLiteral("Load Settings"),
                        kOpenPrefsFilter,
                        QStringLiteral("snp"),
                        {}});
}

std::optional<std::string> FileDialogs::SettingsToSave(QWidget* parent)
{
    return Ask(parent, {FileDialogRequest::Kind::Save,
                        QStringLiteral("Save Settings"),
                        kSavePrefsFilter,
                        QStringLiteral("snp"),
                        {}});
}

std::optional<std::string> FileDialogs::CurveToImport(QWidget* parent)
{
    return Ask(parent, {FileDialogRequest::Kind::Open,
                        QStringLiteral("Import Curve"),
                        kCurveFilter,
                        QStringLiteral("cur"),
                        {}});
}

std::optional<std::string> FileDialogs::CurveToExport(QWidget* parent)
{
    return Ask(parent, {FileDialogRequest::Kind::Save,
                        QStringLiteral("Export Curve"),
                        kCurveFilter,
                        QStringLiteral("cur"),
                        {}});
}

}  // namespace scanora
