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
    // A file name, or a path whose folder the dialog opens in.
    QString proposedName;
    // The filter entry shown first (counted from 0).
    int shownFilter = 0;
    // The folder the dialog opens in when no path is proposed.
    QString startFolder;
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
    static constexpr const char* kDngFilter = "DNG files|*.dng;*||";
    static constexpr const char* kNotesFilter = "Text Files (*.txt)|*.*|All Files (*.*)|*.*||";
    static constexpr const char* kApplicationFilter =
        "Executable Files (*.exe)|*.exe|All Files (*.*)|*.*||";
    static constexpr const char* kSoundFilter = "Sound Files (*.wav)|*.wav|All Files (*.*)|*.*||";
    static constexpr const char* kProfileFilter = "ICC Profiles (*.icm)|*.ICM;*.ICC||";

    // The filter in Qt's notation: each "label|patterns" pair becomes "label (patterns)", the
    // patterns separated by blanks; a parenthesis already in the label gives way to the
    // patterns the pair really filters by. "*.*", every file where the filters come from,
    // becomes "*": here a name needs no dot.
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
    // A colour profile to add, starting in the system's colour-profile folder.
    [[nodiscard]] static std::optional<std::string> ProfileToAdd(QWidget* parent,
                                                                 const QString& profileFolder);

    // The other windows' requests: where a retrieved image goes (TIFF or DNG, the image's name
    // proposed), where exported notes go, and the preferences' program and sound files
    // (starting at the file chosen before).
    [[nodiscard]] static FileDialogRequest RetrievedImage(const QString& proposedName, bool dng);
    [[nodiscard]] static FileDialogRequest NotesToExport();
    [[nodiscard]] static FileDialogRequest Application(const QString& previous);
    [[nodiscard]] static FileDialogRequest Sound(const QString& previous);
};

}  // namespace scanora
