#include "ui/PPSize.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <array>

#include "context/AppContext.h"
#include "settings/InsertRotation.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
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

// A typed number; nothing when the text is not one.
std::optional<double> Number(const QLineEdit* edit)
{
    bool ok = false;
    const double value = edit->text().trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

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
    units_->addItems({"pixels", "inches", "feet", "millimeters", "centimeters", "meters"});
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(width_);
    sizeRow->addWidget(new QLabel("x", this));
    sizeRow->addWidget(height_);
    form->addRow("Size", sizeRow);
    form->addRow("Units", units_);
    resolution_ = new QLineEdit(this);
    resolutionUnits_ = new QComboBox(this);
    resolutionUnits_->addItems({"inches", "feet", "millimeters", "centimeters", "meters"});
    auto* resolutionRow = new QHBoxLayout;
    resolutionRow->addWidget(resolution_);
    resolutionRow->addWidget(new QLabel("pixels per", this));
    resolutionRow->addWidget(resolutionUnits_);
    form->addRow("Resolution", resolutionRow);
    pixels_ = new QLabel(this);
    form->addRow("Pixels", pixels_);
    insert_ = new QComboBox(this);
    insert_->addItems({"Left", "Top", "Right", "Bottom"});
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

void PPSize::WidthEdited()
{
    if (showing_ || !width_->isModified())
        return;
    width_->setModified(false);
    if (const auto value = Number(width_))
        app_.Size().SetOutputWidth(*value);
    else
        ShowOutputSize(
            SizeReadout::Of(app_.Size()));  // not a number: the value in force comes back
}

void PPSize::HeightEdited()
{
    if (showing_ || !height_->isModified())
        return;
    height_->setModified(false);
    if (const auto value = Number(height_))
        app_.Size().SetOutputHeight(*value);
    else
        ShowOutputSize(SizeReadout::Of(app_.Size()));
}

void PPSize::ResolutionEdited()
{
    if (showing_ || !resolution_->isModified())
        return;
    resolution_->setModified(false);
    const auto value = Number(resolution_);
    if (value && *value > 0.0)
        app_.Size().SetResolution(*value);
    else
        ShowOutputSize(SizeReadout::Of(app_.Size()));
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
