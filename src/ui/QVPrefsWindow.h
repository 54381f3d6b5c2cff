#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

#include <functional>

#include "settings/PreferenceChoices.h"
#include "settings/PreferenceRanges.h"
#include "ui/PrefsChoosers.h"

class QAbstractButton;
class QLabel;
class QLineEdit;

namespace scanora {
class AppContext;
}  // namespace scanora

namespace scanora::ui {

// The preferences dialog: automatic saving and naming of files, opening files, sounds, the
// look of the mask, grid and guides, line time synchronisation, ISO steps, crop rotation,
// panoramas, time lapse and the description of retrieved files. It edits copies; OK writes
// them into the preferences record and applies it, Cancel keeps the record as it was. Mask,
// grid and guide changes show on the preview at once and Cancel takes them back. Number
// fields are checked when they are left (the time lapse fields as they change) and a number
// out of range is replaced after telling the user.
class QVPrefsWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr std::string_view kTitle = " Preferences";

    // The controls, by the numbers the program has always given them.
    enum Control : int {
        kScanFolderButton = 3,
        kPrescanFolderButton = 4,
        kChooseApplication = 5,
        kMaskColor = 6,
        kChooseSound = 7,
        kGridColor = 8,
        kGuideColor = 9,
        kFileName = 1011,
        kPanoSettings = 1062,
        kAutoSaveScans = 1160,
        kUseAutoNaming = 1161,
        kAutoRotate = 1162,
        kStartNumber = 1163,
        kOpenScanToRam = 1164,
        kAutoOpenRetrieves = 1165,
        kTransparency = 1166,
        kSoundAfterScans = 1167,
        kSoundAfterPrescans = 1168,
        kGridWidth = 1169,
        kGridHeight = 1170,
        kGridWidthUpDown = 1171,
        kGridHeightUpDown = 1172,
        kTenthStop = 1174,
        kThirdStop = 1175,
        kMaskSwatch = 1176,
        kGridSwatch = 1177,
        kGuideSwatch = 1178,
        kLineTimeSync = 1180,
        kSoundName = 1183,
        kApplicationName = 1184,
        kTransparencyText = 1185,
        kBaselineIso = 1208,
        kAutoSavePrescans = 1209,
        kStepBy = 1210,
        kSuffixLength = 1211,
        kEnablePano = 1243,
        kRotateCrop = 1263,
        kAutoOpenPrescans = 1265,
        kTimeLapse = 1280,
        kTimeLapseImages = 1281,
        kTimeLapseSeconds = 1282,
        kDescriptionText = 1283,
        kSuffixUpDown = 1285,
        kScanFolder = 1289,
        kPrescanFolder = 1290,
        kSolid = 1291,
        kDashed = 1292,
        kDotted = 1293,
        kStippled = 1294,
    };

    // How the preview shows a mask, grid or guide choice before it is kept.
    using PreviewSink = std::function<void(const PreviewAppearance&)>;

    // Gathers the preferences record from the live objects and shows it.
    QVPrefsWindow(AppContext& app, PreviewSink preview, PrefsChoosers choosers,
                  QWidget* parent = nullptr);
    ~QVPrefsWindow() override;

    // The control with the number `id` (null when there is none of that type).
    template <typename Widget>
    [[nodiscard]] Widget* Find(int id) const
    {
        return qobject_cast<Widget*>(controls_.value(id));
    }
    // What the controls hold now.
    [[nodiscard]] PreferenceChoices Choices() const;

public Q_SLOTS:
    // Checks every number field, then writes the choices back and applies the record; with a
    // number out of range the user is told, the field corrected and the dialog stays open.
    void accept() override;
    // Takes back what the preview shows and leaves the record as it was.
    void reject() override;

private:
    QWidget* BuildSavingFiles();
    QWidget* BuildAutoFileOpen();
    QWidget* BuildSounds();
    QWidget* BuildMask();
    QWidget* BuildGrid();
    QWidget* BuildGuides();
    QWidget* BuildExposure();
    QWidget* BuildCropAndPano();
    QWidget* BuildTimeLapse();
    QWidget* BuildRetrievedFiles();

    // Registers `widget` under `id` and returns it.
    template <typename Widget>
    Widget* Add(int id, Widget* widget)
    {
        controls_.insert(id, widget);
        return widget;
    }
    // A digits-only field checked against the range of `field` when it is left.
    QLineEdit* AddNumberField(int id, PreferenceRanges::Field field);
    QWidget* ColorRow(int swatchId, int buttonId, std::uint32_t PreviewAppearance::*color);
    void ShowFileName(int id, const QString& path);
    void ShowSwatch(int id, std::uint32_t color);
    void ShowTransparency(int value);

    // Runs the range check of a field; false (after telling the user) when it was corrected.
    bool Check(int id, PreferenceRanges::Field field);
    bool CheckAll();
    void Fill(const PreferenceChoices& choices);
    void ChooseFolder(int fieldId, const QString& title);
    void ShowOnPreview();

    AppContext& app_;
    PreviewSink preview_;
    PrefsChoosers choosers_;
    QHash<int, QWidget*> controls_;  // owned by their Qt parents
    QHash<int, PreferenceRanges::Field> fields_;
    // The mask, grid and guides as they were when the dialog opened and as chosen now.
    PreviewAppearance opened_;
    PreviewAppearance current_;
    // The program and sound files chosen (the fields show only their names).
    QString application_;
    QString sound_;
    bool checking_ = false;
};

}  // namespace scanora::ui
