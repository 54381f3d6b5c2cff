#include "ui/QVPrefsWindow.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <array>
#include <tuple>
#include <utility>

#include "context/AppContext.h"
#include "settings/QVCameraSetting.h"
#include "ui/CUpDown.h"
#include "ui/ColorRef.h"
#include "ui/GuiThread.h"
#include "ui/PanoSettingsDialog.h"
#include "ui/QVEdit.h"

namespace scanora::ui {

namespace {

using Field = PreferenceRanges::Field;

constexpr int kMaxFileName = 63;
constexpr int kMaxTransparency = 256;
constexpr int kMinGrid = 3;
constexpr int kMaxGrid = 500;
constexpr int kMaxSuffixLength = 12;
const QColor kNameColor(0, 0, 128);
constexpr QSize kSwatchSize(40, 20);
constexpr std::array<int, 4> kPatterns{QVPrefsWindow::kSolid, QVPrefsWindow::kDashed,
                                       QVPrefsWindow::kDotted, QVPrefsWindow::kStippled};

QString FromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string ToStd(const QString& text)
{
    return text.toStdString();
}

}  // namespace

QVPrefsWindow::QVPrefsWindow(AppContext& app, PreviewSink preview, PrefsChoosers choosers,
                             QWidget* parent)
    : QDialog(parent), app_(app), preview_(std::move(preview)), choosers_(std::move(choosers))
{
    SCANORA_ASSERT_GUI_THREAD();
    setWindowTitle(QString::fromUtf8(kTitle.data(), static_cast<qsizetype>(kTitle.size())));
    setModal(true);

    auto* columns = new QHBoxLayout;
    const auto column = [&](std::initializer_list<QWidget*> groups) {
        auto* box = new QVBoxLayout;
        for (QWidget* group : groups) box->addWidget(group);
        box->addStretch(1);
        columns->addLayout(box);
    };
    column({BuildSavingFiles(), BuildAutoFileOpen()});
    column({BuildSounds(), BuildMask(), BuildGrid(), BuildGuides()});
    column({BuildExposure(), BuildCropAndPano(), BuildTimeLapse(), BuildRetrievedFiles()});

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QVPrefsWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QVPrefsWindow::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);

    QVCameraSetting& setting = app_.CameraSetting();
    setting.Gather(app_.Targets());
    const PreferenceChoices choices = PreferenceChoices::Of(setting.Prefs());
    opened_ = choices.appearance;
    current_ = choices.appearance;
    Fill(choices);
    Find<QCheckBox>(kEnablePano)->setChecked(setting.Prefs().enablePanoMode);
    // Written at once, whatever becomes of the rest.
    connect(Find<QCheckBox>(kEnablePano), &QCheckBox::toggled, this,
            [this](bool on) { app_.CameraSetting().Prefs().enablePanoMode = on; });
}

QVPrefsWindow::~QVPrefsWindow() = default;

// --- Building ---

QWidget* QVPrefsWindow::BuildSavingFiles()
{
    auto* group = new QGroupBox("Saving Files", this);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(Add(kAutoSaveScans, new QCheckBox("Automatically retrieve scans", group)));
    layout->addWidget(
        Add(kAutoSavePrescans, new QCheckBox("Automatically retrieve prescans", group)));
    const auto folderRow = [&](int fieldId, int buttonId, const QString& text,
                               const QString& title) {
        auto* row = new QHBoxLayout;
        row->addWidget(Add(fieldId, new QLineEdit(group)), 1);
        auto* button = Add(buttonId, new QPushButton(text, group));
        connect(button, &QPushButton::clicked, this,
                [this, fieldId, title] { ChooseFolder(fieldId, title); });
        row->addWidget(button);
        layout->addLayout(row);
    };
    folderRow(kScanFolder, kScanFolderButton, "Scan Folder...", "Choose Save Scan Folder.");
    folderRow(kPrescanFolder, kPrescanFolderButton, "Prescan Folder...",
              "Choose Save Prescan Folder.");
    layout->addWidget(Add(kUseAutoNaming, new QCheckBox("Use auto naming", group)));

    auto* form = new QFormLayout;
    auto* name = Add(kFileName, new QVEdit(group));
    name->SetMode(QVEdit::Mode::Text);
    name->SetMaxLengths(kMaxFileName, 0);
    form->addRow("File &Name:", name);
    form->addRow("Starting number:", AddNumberField(kStartNumber, Field::StartNumber));
    form->addRow("Step by:", AddNumberField(kStepBy, Field::Increment));
    auto* suffix = new QHBoxLayout;
    QLineEdit* length = AddNumberField(kSuffixLength, Field::SuffixLength);
    suffix->addWidget(length);
    suffix->addWidget(Add(kSuffixUpDown, new CUpDown(*length, 0, kMaxSuffixLength, group)));
    suffix->addStretch(1);
    form->addRow("Suffix length:", suffix);
    layout->addLayout(form);
    return group;
}

QWidget* QVPrefsWindow::BuildAutoFileOpen()
{
    auto* group = new QGroupBox("Auto File Open", this);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(
        Add(kAutoOpenRetrieves, new QCheckBox("Automatically open retrieved files", group)));
    layout->addWidget(Add(kAutoOpenPrescans, new QCheckBox("Automatically open prescans", group)));
    auto* toRam = Add(kOpenScanToRam, new QCheckBox("Automatically open Scan to RAM", group));
    toRam->setEnabled(false);
    toRam->setVisible(false);
    layout->addWidget(toRam);
    auto* choose = Add(kChooseApplication, new QPushButton("Choose &Application...", group));
    connect(choose, &QPushButton::clicked, this, [this] {
        const QString path = choosers_.application(this, application_);
        if (path.isEmpty())
            return;
        application_ = path;
        ShowFileName(kApplicationName, path);
    });
    layout->addWidget(choose, 0, Qt::AlignLeft);
    layout->addWidget(Add(kApplicationName, new QLabel(group)));
    return group;
}

QWidget* QVPrefsWindow::BuildSounds()
{
    auto* group = new QGroupBox("Sounds", this);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(Add(kSoundAfterScans, new QCheckBox("Play sound when scan finishes", group)));
    layout->addWidget(
        Add(kSoundAfterPrescans, new QCheckBox("Play sound when prescan finishes", group)));
    auto* choose = Add(kChooseSound, new QPushButton("Choose &Sound...", group));
    connect(choose, &QPushButton::clicked, this, [this] {
        const QString path = choosers_.sound(this, sound_);
        if (path.isEmpty())
            return;
        sound_ = path;
        ShowFileName(kSoundName, path);
    });
    layout->addWidget(choose, 0, Qt::AlignLeft);
    layout->addWidget(Add(kSoundName, new QLabel(group)));
    for (const int id : {kSoundName, kApplicationName}) {
        if (auto* label = Find<QLabel>(id)) {
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, kNameColor);
            label->setPalette(palette);
        }
    }
    return group;
}

QWidget* QVPrefsWindow::BuildMask()
{
    auto* group = new QGroupBox("Mask", this);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(ColorRow(kMaskSwatch, kMaskColor, &PreviewAppearance::maskColor));
    auto* slider = Add(kTransparency, new QSlider(Qt::Horizontal, group));
    slider->setRange(0, kMaxTransparency);
    layout->addWidget(slider);
    layout->addWidget(Add(kTransparencyText, new QLabel(group)));
    connect(slider, &QSlider::valueChanged, this, [this](int value) {
        ShowTransparency(value);
        current_.maskTransparency = static_cast<std::int16_t>(value);
        ShowOnPreview();
    });
    return group;
}

QWidget* QVPrefsWindow::BuildGrid()
{
    auto* group = new QGroupBox("Grid", this);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(ColorRow(kGridSwatch, kGridColor, &PreviewAppearance::gridColor));
    auto* form = new QFormLayout;
    const auto sizeRow = [&](int id, int upDownId, Field field, const QString& label,
                             std::int16_t PreviewAppearance::*spacing) {
        QLineEdit* edit = AddNumberField(id, field);
        auto* upDown = Add(upDownId, new CUpDown(*edit, kMinGrid, kMaxGrid, group));
        connect(upDown, &CUpDown::stepped, this, [this, spacing](int value) {
            current_.*spacing = static_cast<std::int16_t>(value);
            ShowOnPreview();
        });
        auto* row = new QHBoxLayout;
        row->addWidget(edit);
        row->addWidget(upDown);
        row->addStretch(1);
        auto* name = new QLabel(label, group);
        name->setBuddy(edit);  // "&Width:" and "&Height:" reach their fields
        form->addRow(name, row);
    };
    sizeRow(kGridWidth, kGridWidthUpDown, Field::GridWidth,
            "&Width:", &PreviewAppearance::gridWidth);
    sizeRow(kGridHeight, kGridHeightUpDown, Field::GridHeight,
            "&Height:", &PreviewAppearance::gridHeight);
    layout->addLayout(form);
    return group;
}

QWidget* QVPrefsWindow::BuildGuides()
{
    auto* group = new QGroupBox("Guides", this);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(ColorRow(kGuideSwatch, kGuideColor, &PreviewAppearance::guideColor));
    auto* patterns = new QGridLayout;
    auto* exclusive = new QButtonGroup(group);
    const std::array<const char*, 4> names{"Solid", "Dashed", "Dotted", "Stippled"};
    for (std::size_t i = 0; i < kPatterns.size(); ++i) {
        auto* radio = Add(kPatterns[i], new QRadioButton(names[i], group));
        exclusive->addButton(radio);
        patterns->addWidget(radio, static_cast<int>(i / 2), static_cast<int>(i % 2));
    }
    layout->addLayout(patterns);
    return group;
}

QWidget* QVPrefsWindow::BuildExposure()
{
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* sync = new QGroupBox("Line Time Sync", box);
    auto* syncLayout = new QVBoxLayout(sync);
    auto* list = Add(kLineTimeSync, new QComboBox(sync));
    list->addItems({"Exact", "60 Hz", "50 Hz"});
    syncLayout->addWidget(list);
    layout->addWidget(sync);

    auto* iso = new QGroupBox("ISO Increment", box);
    auto* isoLayout = new QVBoxLayout(iso);
    auto* steps = new QHBoxLayout;
    steps->addWidget(Add(kTenthStop, new QRadioButton("1/10 Stop", iso)));
    steps->addWidget(Add(kThirdStop, new QRadioButton("1/3 Stop", iso)));
    isoLayout->addLayout(steps);
    auto* form = new QFormLayout;
    form->addRow("Baseline ISO", AddNumberField(kBaselineIso, Field::BaselineIso));
    isoLayout->addLayout(form);
    layout->addWidget(iso);
    return box;
}

QWidget* QVPrefsWindow::BuildCropAndPano()
{
    auto* box = new QWidget(this);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* crop = new QGroupBox("Crop", box);
    (new QVBoxLayout(crop))->addWidget(Add(kRotateCrop, new QCheckBox("Rotate with Image", crop)));
    layout->addWidget(crop);
    auto* pano = new QGroupBox("Pano", box);
    auto* panoLayout = new QVBoxLayout(pano);
    panoLayout->addWidget(Add(kEnablePano, new QCheckBox("Enable Pano Mode", pano)));
    auto* settings = Add(kPanoSettings, new QPushButton("Pano Settings", pano));
    // The stage values are taken over at once, whatever becomes of the preferences.
    connect(settings, &QPushButton::clicked, this,
            [this] { PanoSettingsDialog::Edit(app_, this); });
    panoLayout->addWidget(settings, 0, Qt::AlignLeft);
    layout->addWidget(pano);
    return box;
}

QWidget* QVPrefsWindow::BuildTimeLapse()
{
    auto* group = new QGroupBox("Time Lapse", this);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(Add(kTimeLapse, new QCheckBox("Time Lapse", group)));
    auto* form = new QFormLayout;
    for (const auto& [id, field, label] :
         {std::tuple{kTimeLapseImages, Field::TimeLapseImages, "Number of images:"},
          std::tuple{kTimeLapseSeconds, Field::TimeLapseSeconds, "Seconds per image:"}}) {
        QLineEdit* edit = AddNumberField(id, field);
        // Checked as they change, not as they are left.
        fields_.remove(id);
        connect(edit, &QLineEdit::textChanged, this,
                [this, id = static_cast<int>(id), field = field] { Check(id, field); });
        form->addRow(label, edit);
    }
    layout->addLayout(form);
    return group;
}

QWidget* QVPrefsWindow::BuildRetrievedFiles()
{
    auto* group = new QGroupBox("Retrieved files", this);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(new QLabel("File description text:", group));
    auto* list = Add(kDescriptionText, new QComboBox(group));
    list->addItems({"None", "Capture Notes", "File Name"});
    layout->addWidget(list);
    layout->addWidget(Add(kAutoRotate, new QCheckBox("Auto-rotate retrieved files", group)));
    return group;
}

QLineEdit* QVPrefsWindow::AddNumberField(int id, Field field)
{
    auto* edit = Add(id, new QVEdit(this));
    edit->SetMode(QVEdit::Mode::UnsignedInteger);
    fields_.insert(id, field);
    connect(edit, &QVEdit::focusLeft, this, [this, id] {
        if (fields_.contains(id))
            Check(id, fields_.value(id));
    });
    return edit;
}

QWidget* QVPrefsWindow::ColorRow(int swatchId, int buttonId,
                                 std::uint32_t PreviewAppearance::*color)
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* swatch = Add(swatchId, new QLabel(row));
    swatch->setFixedSize(kSwatchSize);
    swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
    swatch->setAutoFillBackground(true);
    layout->addWidget(swatch);
    auto* button = Add(buttonId, new QPushButton("Color...", row));
    connect(button, &QPushButton::clicked, this, [this, swatchId, color] {
        const QColor chosen = choosers_.color(this, FromColorRef(current_.*color));
        if (!chosen.isValid())
            return;
        current_.*color = ToColorRef(chosen);
        ShowSwatch(swatchId, current_.*color);
        ShowOnPreview();
    });
    layout->addWidget(button);
    layout->addStretch(1);
    return row;
}

// --- Showing ---

void QVPrefsWindow::Fill(const PreferenceChoices& c)
{
    const auto check = [this](int id, bool on) { Find<QAbstractButton>(id)->setChecked(on); };
    const auto text = [this](int id, const QString& value) { Find<QLineEdit>(id)->setText(value); };
    check(kAutoSaveScans, c.autoSaveScans);
    check(kAutoSavePrescans, c.autoSavePrescans);
    text(kScanFolder, FromStd(c.saveScansFolder));
    text(kPrescanFolder, FromStd(c.savePrescansFolder));
    check(kUseAutoNaming, c.useAutoSuffixes);
    text(kFileName, FromStd(c.autoFileName));
    text(kStartNumber, QString::number(c.autoFileSuffix));
    text(kStepBy, QString::number(c.autoFileIncrement));
    text(kSuffixLength, QString::number(std::clamp<int>(c.suffixLength, 0, kMaxSuffixLength)));
    check(kAutoOpenRetrieves, c.autoOpenRetrieves);
    check(kAutoOpenPrescans, c.autoOpenPrescans);
    application_ = FromStd(c.openWithApplicationName);
    ShowFileName(kApplicationName, application_);
    check(kSoundAfterScans, c.playSoundAfterScans);
    check(kSoundAfterPrescans, c.playSoundAfterPrescans);
    sound_ = FromStd(c.soundName);
    ShowFileName(kSoundName, sound_);
    const PreviewAppearance& a = c.appearance;
    ShowSwatch(kMaskSwatch, a.maskColor);
    ShowSwatch(kGridSwatch, a.gridColor);
    ShowSwatch(kGuideSwatch, a.guideColor);
    {
        const QSignalBlocker quiet(Find<QSlider>(kTransparency));
        Find<QSlider>(kTransparency)->setValue(a.maskTransparency);
    }
    ShowTransparency(Find<QSlider>(kTransparency)->value());
    text(kGridWidth, QString::number(a.gridWidth));
    text(kGridHeight, QString::number(a.gridHeight));
    const auto pattern = static_cast<std::size_t>(
        std::clamp<int>(a.guidePattern, 0, static_cast<int>(kPatterns.size()) - 1));
    check(kPatterns[pattern], true);
    Find<QComboBox>(kLineTimeSync)->setCurrentIndex(std::clamp<int>(c.lineTimeSync, 0, 2));
    check(c.isoIncrement == CameraPreferences::kOneThird ? kThirdStop : kTenthStop, true);
    text(kBaselineIso, QString::number(c.baselineISO));
    check(kRotateCrop, c.rotateCrop);
    check(kTimeLapse, c.timeLapse);
    text(kTimeLapseImages, QString::number(c.timeLapseImages));
    text(kTimeLapseSeconds, QString::number(c.timeLapseSeconds));
    Find<QComboBox>(kDescriptionText)
        ->setCurrentIndex(std::clamp<int>(c.fileDescriptionTextType, 0, 2));
    check(kAutoRotate, c.embedOrientation);
}

void QVPrefsWindow::ShowFileName(int id, const QString& path)
{
    // Only the name after the last separator.
    Find<QLabel>(id)->setText(QFileInfo(path).fileName());
}

void QVPrefsWindow::ShowSwatch(int id, std::uint32_t color)
{
    QLabel* swatch = Find<QLabel>(id);
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, FromColorRef(color));
    swatch->setPalette(palette);
}

void QVPrefsWindow::ShowTransparency(int value)
{
    Find<QLabel>(kTransparencyText)->setText(QString::asprintf("Transparency: %d", value));
}

void QVPrefsWindow::ShowOnPreview()
{
    if (preview_)
        preview_(current_);
}

void QVPrefsWindow::ChooseFolder(int fieldId, const QString& title)
{
    QLineEdit* field = Find<QLineEdit>(fieldId);
    const QString folder = choosers_.folder(this, title, field->text());
    if (!folder.isEmpty())
        field->setText(folder);
}

// --- Checking and ending ---

bool QVPrefsWindow::Check(int id, Field field)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (checking_)
        return true;
    QLineEdit* edit = Find<QLineEdit>(id);
    const std::optional<PreferenceRanges::Correction> correction =
        PreferenceRanges::Check(field, ToStd(edit->text()));
    if (!correction)
        return true;
    checking_ = true;
    app_.Ui().ShowMessage(correction->message, MessageIcon::Exclamation, MessageButtons::Ok);
    edit->setText(QString::number(correction->value));
    checking_ = false;
    return false;
}

bool QVPrefsWindow::CheckAll()
{
    bool inRange = true;
    for (const auto& [id, field] :
         {std::pair{kStepBy, Field::Increment}, std::pair{kStartNumber, Field::StartNumber},
          std::pair{kBaselineIso, Field::BaselineIso}, std::pair{kGridWidth, Field::GridWidth},
          std::pair{kGridHeight, Field::GridHeight}, std::pair{kSuffixLength, Field::SuffixLength},
          std::pair{kTimeLapseImages, Field::TimeLapseImages},
          std::pair{kTimeLapseSeconds, Field::TimeLapseSeconds}})
        inRange = Check(id, field) && inRange;
    return inRange;
}

PreferenceChoices QVPrefsWindow::Choices() const
{
    const auto checked = [this](int id) { return Find<QAbstractButton>(id)->isChecked(); };
    const auto text = [this](int id) { return ToStd(Find<QLineEdit>(id)->text()); };
    const auto number = [&](int id) { return PreferenceRanges::ReadInt16(text(id)); };
    PreferenceChoices c;
    c.autoSaveScans = checked(kAutoSaveScans);
    c.autoSavePrescans = checked(kAutoSavePrescans);
    c.saveScansFolder = text(kScanFolder);
    c.savePrescansFolder = text(kPrescanFolder);
    c.useAutoSuffixes = checked(kUseAutoNaming);
    c.autoFileName = text(kFileName);
    c.suffixLength = std::clamp<std::int16_t>(number(kSuffixLength), 0, kMaxSuffixLength);
    c.autoFileSuffix = number(kStartNumber);
    c.autoFileIncrement = number(kStepBy);
    c.autoOpenRetrieves = checked(kAutoOpenRetrieves);
    c.autoOpenPrescans = checked(kAutoOpenPrescans);
    c.openWithApplicationName = ToStd(application_);
    c.playSoundAfterScans = checked(kSoundAfterScans);
    c.playSoundAfterPrescans = checked(kSoundAfterPrescans);
    c.soundName = ToStd(sound_);
    c.appearance = current_;
    c.appearance.maskTransparency =
        static_cast<std::int16_t>(Find<QSlider>(kTransparency)->value());
    c.appearance.gridWidth = number(kGridWidth);
    c.appearance.gridHeight = number(kGridHeight);
    const auto pattern = std::find_if(kPatterns.begin(), kPatterns.end(), checked);
    c.appearance.guidePattern =
        static_cast<std::int16_t>(pattern == kPatterns.end() ? 0 : pattern - kPatterns.begin());
    c.lineTimeSync = static_cast<std::int16_t>(Find<QComboBox>(kLineTimeSync)->currentIndex());
    c.baselineISO = number(kBaselineIso);
    c.isoIncrement =
        checked(kTenthStop) ? CameraPreferences::kOneTenth : CameraPreferences::kOneThird;
    c.rotateCrop = checked(kRotateCrop);
    c.timeLapse = checked(kTimeLapse);
    c.timeLapseImages = number(kTimeLapseImages);
    c.timeLapseSeconds = number(kTimeLapseSeconds);
    c.fileDescriptionTextType =
        static_cast<std::int16_t>(Find<QComboBox>(kDescriptionText)->currentIndex());
    c.embedOrientation = checked(kAutoRotate);
    return c;
}

void QVPrefsWindow::accept()
{
    SCANORA_ASSERT_GUI_THREAD();
    // A field still being typed in when OK is pressed has not been left yet: its check runs
    // now, and the user sees the corrected value before it is kept.
    if (!CheckAll())
        return;
    QVCameraSetting& setting = app_.CameraSetting();
    Choices().WriteTo(setting.Prefs());
    setting.Apply(app_.Targets());
    QDialog::accept();
}

void QVPrefsWindow::reject()
{
    SCANORA_ASSERT_GUI_THREAD();
    current_ = opened_;
    ShowOnPreview();
    QDialog::reject();
}

}  // namespace scanora::ui
