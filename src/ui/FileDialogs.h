#pragma once

#include <QString>

#include <optional>
#include <string>

class QWidget;

namespace scanora {

// One file dialog as the program asks for it: what it is for, its filter in the program's own
// notation ("Label|*.a;*.b|Other|*.*||"), the default extension and the proposed name.
struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString title;
    QString filter;
    QString defaultSuffix;
    QString proposedName;
};

// The file dialogs of the main window's commands, each with the filter and default extension
// the program has always offered.
class FileDialogs {
public:
    static constexpr const char* kPrescanFilter =
        "Prescan Files (*.TIF)|*.tif|All Files (*.*)|*.*||";
    static constexpr const char* kTiffFilter = "TIFF files|*.tif;*.tiff||";
    static constexpr const char* kOpenPrefsFilter =
        "Scanora Prefs (*.snp)|*.snp|Old Pref Files (*.pre)|*.pre|All Files (*.*)|*.*||";
    static constexpr const char* kSavePrefsFilter =
        "Scanora Pref Files (*.snp)|*.snp|All Files (*.*)|*.*||";
    static constexpr const char* kCurveFilter =
        "Tone Curve Files (*.cur)|*.cur|All Files (*.*)|*.*||";

    // The filter in Qt's notation: each "label|patterns" pair becomes "label (patterns)", the
    // patterns separated by blanks; a parenthesis already in the label gives way to the
    // patterns the pair really filters by.
    [[nodiscard]] static QString QtFilter(const QString& filter);

    // Shows the dialog modally; the chosen path, or nothing when the user cancelled. An open
    // dialog takes only a file that exists; a save dialog asks before replacing one.
    [[nodiscard]] static std::optional<std::string> Ask(QWidget* parent,
                                                        const FileDialogRequest& request);

    // The commands' dialogs.
    [[nodiscard]] static std::optional<std::string> SavedPreviewToLoad(QWidget* parent);
    [[nodiscard]] static std::optional<std::string> PrescanToSave(QWidget* parent,
                                                                  const QString& baseName);
    [[nodiscard]] static std::optional<std::string> SettingsToLoad(QWidget* parent);
    [[nodiscard]] static std::optional<std::string> SettingsToSave(QWidget* parent);
    [[nodiscard]] static std::optional<std::string> CurveToImport(QWidget* parent);
    [[nodiscard]] static std::optional<std::string> CurveToExport(QWidget* parent);
};

}  // namespace scanora
