#include "ui/PPSize.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QVBoxLayout>

#include <array>

#include "context/AppContext.h"
#include "settings/InsertRotation.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "settings/SizeInputLimits.h"
#include "settings/SizeUnits.h"
#include "ui/GuiThread.h"

namespace scanora::ui {

namespace {

constexpr std::array<std::int32_t, 6> kUnits = {SizeUnits::kPixels,      SizeUnits::kInches,
                                                SizeUnits::kFeet,        SizeUnits::kMillimeters,
                                                SizeUnits::kCentimeters, SizeUnits::kMeters};
constexpr std::array<std::int32_t, 5> kResolutionUnits = {
    SizeUnits::kInches, SizeUnits::kFeet, SizeUnits::kMillimeters, SizeUnits::kCentimeters,
    SizeUnits::kMeters};
constexpr std::array<std::int32_t, 4> kInserts = {
    InsertRotation::kFromLeft, InsertRotation::kFromTop, InsertRotation::kFromRight,
    InsertRotation::kFromBottom};

template <std::size_t N>
int EntryOf(const std::array<std::int32_t, N>& codes, std::int32_t code)
{
    for (std::size_t i = 0; i < N; ++i)
        if (codes[i] == code)
            return static_cast<int>(i);
    return -1;
}

// What a field holds: a number, nothing (an empty field), or text that is no number.
struct Typed {
    bool number = true;
    std::optional<double> value;
};

Typed Read(const QLineEdit* edit)
{
    const QString text = edit->text().trimmed();
    if (text.isEmpty())
        return {};
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? Typed{true, value} : Typed{false, std::nullopt};
}

// The profile keys of the lists' last selections, kept when the page closes.
constexpr const char* kInsertKey = "Settings/Insert Direction";
constexpr const char* kUnitsKey = "Settings/Units";
constexpr const char* kPixelsPerKey = "Settings/Pixels Per";

}  // namespace

PPSize::PPSize(AppContext& app, QWidget* parent) : QVPropertyPage(app, SettingKind::Size, parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(SettingsBox());
    auto* form = new QFormLayout;
    width_ = new QLineEdit(this);
    height_ = new QLineEdit(this);
    units_ = new QComboBox(this);
    units_->addItems({"pixels", "inches", "feet", "mm", "cm", "meters"});
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(width_);
    sizeRow->addWidget(new QLabel("x", this));
    sizeRow->addWidget(height_);
    form->addRow("Size", sizeRow);
    form->addRow("Units", units_);
    resolution_ = new QLineEdit(this);
    resolutionUnits_ = new QComboBox(this);
    resolutionUnits_->addItems(
        {"pixels/inch", "pixels/ft", "pixels/mm", "pixels/cm", "pixels/meter"});
    auto* resolutionRow = new QHBoxLayout;
    resolutionRow->addWidget(resolution_);
    resolutionRow->addWidget(resolutionUnits_);
    form->addRow("Resolution", resolutionRow);
    pixels_ = new QLabel(this);
    form->addRow("Pixels", pixels_);
    insert_ = new QComboBox(this);
    insert_->addItems({"From Left", "From Top", "From Right", "From Bottom"});
    form->addRow("Insert", insert_);
    layout->addLayout(form);
    auto* locks = new QHBoxLayout;
    cropRatioLock_ = new QCheckBox("Lock Crop Ratio", this);
    fileSizeLock_ = new QCheckBox("Lock File Size", this);
    locks->addWidget(cropRatioLock_);
    locks->addWidget(fileSizeLock_);
    layout->addLayout(locks);
    layout->addStretch(1);

    connect(width_, &QLineEdit::editingFinished, this, &PPSize::WidthEdited);
    connect(height_, &QLineEdit::editingFinished, this, &PPSize::HeightEdited);
    connect(resolution_, &QLineEdit::editingFinished, this, &PPSize::ResolutionEdited);
    connect(units_, &QComboBox::activated, this,
            [this](int entry) { app_.Size().SetUnits(UnitAt(entry)); });
    connect(resolutionUnits_, &QComboBox::activated, this,
            [this](int entry) { app_.Size().SetResolutionUnits(ResolutionUnitAt(entry)); });
    connect(insert_, &QComboBox::activated, this, [this](int entry) {
        const bool alt = QApplication::queryKeyboardModifiers() & Qt::AltModifier;
        app_.Size().SetInsertRotation(
            kInserts[static_cast<std::size_t>(std::clamp(entry, 0, 3))],
            QVSize::TurnsCrop(app_.CameraSetting().Prefs().rotateCrop, alt));
    });
    connect(cropRatioLock_, &QCheckBox::clicked, this,
            [this](bool on) { app_.Size().SetCropRatioLocked(on); });
    connect(fileSizeLock_, &QCheckBox::clicked, this,
            [this](bool on) { app_.Size().SetFileSizeLocked(on); });
}

std::int32_t PPSize::UnitAt(int entry)
{
    return kUnits[static_cast<std::size_t>(std::clamp(entry, 0, int(kUnits.size()) - 1))];
}

std::int32_t PPSize::ResolutionUnitAt(int entry)
{
    return kResolutionUnits[static_cast<std::size_t>(
        std::clamp(entry, 0, int(kResolutionUnits.size()) - 1))];
}

PPSize::~PPSize()
{
    QSettings profile;
    profile.setValue(kInsertKey, insert_->currentIndex());
    profile.setValue(kUnitsKey, units_->currentIndex());
    profile.setValue(kPixelsPerKey, resolutionUnits_->currentIndex());
}

std::optional<double> PPSize::TakeEdit(QLineEdit& edit)
{
    if (showing_ || !edit.isModified())
        return std::nullopt;
    edit.setModified(false);
    const Typed typed = Read(&edit);
    if (!typed.number) {
        // Text that is no number: the value in force comes back.
        ShowOutputSize(SizeReadout::Of(app_.Size()));
        return std::nullopt;
    }
    if (&edit == resolution_)
        return SizeInputLimits::Resolution(typed.value);
    return SizeInputLimits::OutputSize(typed.value, app_.Size().GetUnits() == SizeUnits::kPixels);
}

void PPSize::WidthEdited()
{
    if (const std::optional<double> width = TakeEdit(*width_))
        app_.Size().SetOutputWidth(*width);
}

void PPSize::HeightEdited()
{
    if (const std::optional<double> height = TakeEdit(*height_))
        app_.Size().SetOutputHeight(*height);
}

void PPSize::ResolutionEdited()
{
    if (const std::optional<double> resolution = TakeEdit(*resolution_))
        app_.Size().SetResolution(*resolution);
}

void PPSize::ShowOutputSize(const SizeReadout& size)
{
    SCANORA_ASSERT_GUI_THREAD();
    showing_ = true;
    const bool pixels = size.units == SizeUnits::kPixels;
    const char* format = pixels ? "%.0f" : "%.2f";
    width_->setText(QString::asprintf(format, size.outputWidth));
    height_->setText(QString::asprintf(format, size.outputHeight));
    resolution_->setText(QString::asprintf("%.1f", size.resolution));
    units_->setCurrentIndex(EntryOf(kUnits, size.units));
    resolutionUnits_->setCurrentIndex(EntryOf(kResolutionUnits, size.resolutionUnits));
    showing_ = false;
}

void PPSize::Refresh(const SizeReadout& size)
{
    SCANORA_ASSERT_GUI_THREAD();
    pixels_->setText(QString::asprintf("%5.0d h x %5.0d v", static_cast<int>(size.pixelsAcross),
                                       static_cast<int>(size.pixelsDown)));
    cropRatioLock_->setChecked(size.cropRatioLocked);
    fileSizeLock_->setChecked(size.fileSizeLocked);
    ShowInsertRotation(size.insertRotation);
}

void PPSize::ShowInsertRotation(std::int32_t code)
{
    SCANORA_ASSERT_GUI_THREAD();
    insert_->setCurrentIndex(EntryOf(kInserts, InsertRotation::Normalise(code)));
}

void PPSize::SetControlsEnabled(bool enabled)
{
    SCANORA_ASSERT_GUI_THREAD();
    for (QWidget* control :
         std::initializer_list<QWidget*>{SettingsBox(), width_, height_, resolution_, units_,
                                         resolutionUnits_, insert_, cropRatioLock_, fileSizeLock_})
        control->setEnabled(enabled);
}

}  // namespace scanora::ui
