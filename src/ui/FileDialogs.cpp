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
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QStringLiteral("*.*"))
                pattern = QStringLiteral("*");
        }
        patterns.removeDuplicates();
        entries << label.trimmed() + " (" + patterns.join(' ') + ")";
    }
    return entries.join(QStringLiteral(";;"));
}

std::optional<std::string> FileDialogs::Ask(QWidget* parent, const FileDialogRequest& request)
{
    SCANORA_ASSERT_GUI_THREAD();
    QFileDialog dialog(parent, request.title, request.startFolder, QtFilter(request.filter));
    const bool open = request.kind == FileDialogRequest::Kind::Open;
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    const QStringList filters = dialog.nameFilters();
    if (request.shownFilter > 0 && request.shownFilter < filters.size())
        dialog.selectNameFilter(filters[request.shownFilter]);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

namespace {

using Kind = FileDialogRequest::Kind;

FileDialogRequest Request(Kind kind, const char* title, const char* filter, const char* suffix,
                          QString proposedName = {})
{
    FileDialogRequest request;
    request.kind = kind;
    request.title = QString::fromLatin1(title);
    request.filter = QString::fromLatin1(filter);
    request.defaultSuffix = QString::fromLatin1(suffix);
    request.proposedName = std::move(proposedName);
    return request;
}

}  // namespace

std::optional<std::string> FileDialogs::SavedPreviewToLoad(QWidget* parent)
{
    return Ask(parent,
               Request(Kind::Open, "Load Prescan", kPrescanFilter, "tif", "PreviewPic.TIF"));
}

std::optional<std::string> FileDialogs::PrescanToSave(QWidget* parent, const QString& baseName)
{
    return Ask(parent, Request(Kind::Save, "Save Prescan", kTiffFilter, "tif", baseName));
}

std::optional<std::string> FileDialogs::SettingsToLoad(QWidget* parent)
{
    return Ask(parent, Request(Kind::Open, "Load Settings", kOpenPrefsFilter, "snp"));
}

std::optional<std::string> FileDialogs::SettingsToSave(QWidget* parent)
{
    return Ask(parent, Request(Kind::Save, "Save Settings", kSavePrefsFilter, "snp"));
}

std::optional<std::string> FileDialogs::CurveToImport(QWidget* parent)
{
    return Ask(parent, Request(Kind::Open, "Import Curve", kCurveFilter, "cur"));
}

std::optional<std::string> FileDialogs::CurveToExport(QWidget* parent)
{
    return Ask(parent, Request(Kind::Save, "Export Curve", kCurveFilter, "cur"));
}

std::optional<std::string> FileDialogs::ProfileToAdd(QWidget* parent, const QString& profileFolder)
{
    FileDialogRequest request = Request(Kind::Open, "Color Profile", kProfileFilter, "");
    request.startFolder = profileFolder;
    return Ask(parent, request);
}

FileDialogRequest FileDialogs::RetrievedImage(const QString& proposedName, bool dng)
{
    return dng ? Request(Kind::Save, "Retrieve", kDngFilter, "dng", proposedName)
               : Request(Kind::Save, "Retrieve", kTiffFilter, "tif", proposedName);
}

FileDialogRequest FileDialogs::NotesToExport()
{
    return Request(Kind::Save, "Export Notes", kNotesFilter, "txt");
}

FileDialogRequest FileDialogs::Application(const QString& previous)
{
    // Programs here have no extension, so none is added to a typed name, and every file is
    // shown first.
    FileDialogRequest request =
        Request(Kind::Open, "Choose Application", kApplicationFilter, "", previous);
    request.shownFilter = 1;
    return request;
}

FileDialogRequest FileDialogs::Sound(const QString& previous)
{
    return Request(Kind::Open, "Choose Sound", kSoundFilter, "wav", previous);
}

}  // namespace scanora
