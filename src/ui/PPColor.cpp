#include "ui/PPColor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "camera/QVExposure.h"
#include "context/AppContext.h"
#include "settings/QVCameraSetting.h"
#include "ui/FileDialogs.h"
#include "ui/GuiThread.h"

namespace scanora::ui {

namespace {

constexpr double kTenthsPerDecibel = 10.0;

QString ProfileFolder()
{
    for (const QString& folder :
         {QStringLiteral("/usr/share/color/icc"), QDir::homePath() + "/.local/share/icc"})
        if (QFileInfo(folder).isDir())
            return folder;
    return QDir::homePath();
}

}  // namespace

PPColor::PPColor(AppContext& app, QWidget* parent)
    : QVPropertyPage(app, SettingKind::Exposure, parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(SettingsBox());

    // Two exposures to switch between (a scene lit two ways, say): choosing one keeps the
    // current exposure in the other.
    auto* storedRow = new QHBoxLayout;
    for (int number = 1; number <= 2; ++number) {
        QRadioButton*& button = stored_[static_cast<std::size_t>(number - 1)];
        button = new QRadioButton(QStringLiteral("Exposure %1").arg(number), this);
        button->setToolTip(
            QStringLiteral("Use stored exposure %1; the current one is kept for the other")
                .arg(number));
        storedRow->addWidget(button);
        connect(button, &QRadioButton::clicked, this, [this, number] {
            if (!showing_)
                app_.Exposure().SelectStoredExposure(number);
        });
    }
    storedRow->addStretch(1);
    layout->addLayout(storedRow);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Gain (dB)", this), 0, 1);
    grid->addWidget(new QLabel("Filter (dB)", this), 0, 2);
    const char* names[] = {"Red", "Green", "Blue"};
    for (const Channel channel : kChannels) {
        const std::size_t c = ChannelIndex(channel);
        const int row = static_cast<int>(c) + 1;
        grid->addWidget(new QLabel(names[c], this), row, 0);
        gains_[c] = new QDoubleSpinBox(this);
        gains_[c]->setRange(0.0, ExposureUnits::kMaxTotalTenths / kTenthsPerDecibel);
        filters_[c] = new QDoubleSpinBox(this);
        filters_[c]->setRange(-5.0, 5.0);
        for (QDoubleSpinBox* box : {gains_[c], filters_[c]}) {
            box->setDecimals(1);
            box->setSingleStep(0.1);
            box->setKeyboardTracking(false);
        }
        grid->addWidget(gains_[c], row, 1);
        grid->addWidget(filters_[c], row, 2);
        connect(gains_[c], &QDoubleSpinBox::valueChanged, this, [this, channel](double db) {
            if (!showing_)
                app_.Exposure().SetGain(channel, db * kTenthsPerDecibel);
        });
        connect(filters_[c], &QDoubleSpinBox::valueChanged, this, [this, channel](double db) {
            if (!showing_)
                app_.Exposure().SetFilter(channel, db * kTenthsPerDecibel);
        });
    }
    layout->addLayout(grid);

    auto* isoRow = new QHBoxLayout;
    iso_ = new QLabel(this);
    clearFilters_ = new QPushButton("Clear Filters", this);
    clearFilters_->setToolTip("Every filter to 0 dB; a gain keeps within 0 to 13 dB");
    isoRow->addWidget(iso_, 1);
    isoRow->addWidget(clearFilters_);
    layout->addLayout(isoRow);
    connect(clearFilters_, &QPushButton::clicked, this, [this] { app_.Exposure().ClearFilters(); });
    samples_ = new QLabel(this);
    samples_->setWordWrap(true);
    layout->addWidget(samples_);
    auto* balanceRow = new QHBoxLayout;
    balance_ = new QPushButton("Balance", this);
    clearMeter_ = new QPushButton("Clear Meter", this);
    balanceRow->addWidget(balance_);
    balanceRow->addWidget(clearMeter_);
    layout->addLayout(balanceRow);
    connect(balance_, &QPushButton::clicked, this,
            [this] { app_.Exposure().ApplyNeutralBalance(); });
    connect(clearMeter_, &QPushButton::clicked, this,
            [this] { app_.Exposure().ClearNeutralPoints(); });

    auto* profileRow = new QHBoxLayout;
    profiles_ = new QComboBox(this);
    browse_ = new QPushButton("Browse...", this);
    profileRow->addWidget(profiles_, 1);
    profileRow->addWidget(browse_);
    layout->addLayout(profileRow);
    embed_ = new QCheckBox("Embed ICC Profile", this);
    layout->addWidget(embed_);
    layout->addStretch(1);
    connect(browse_, &QPushButton::clicked, this, &PPColor::BrowseProfile);
    connect(profiles_, &QComboBox::activated, this, [this](int entry) {
        CameraPreferences& prefs = app_.CameraSetting().Prefs();
        if (entry < 0 || entry >= static_cast<int>(prefs.iccProfiles.size()))
            return;
        prefs.currentICCProfileIndex = entry + 1;
        prefs.iccProfileName = prefs.iccProfiles[static_cast<std::size_t>(entry)];
        Q_EMIT displayProfileChanged();
    });
    connect(embed_, &QCheckBox::clicked, this, [this](bool on) {
        app_.CameraSetting().Prefs().embedICCProfile = on;
        Q_EMIT displayProfileChanged();
    });
}

QDoubleSpinBox* PPColor::GainBox(Channel channel) const
{
    return gains_[ChannelIndex(channel)];
}

QDoubleSpinBox* PPColor::FilterBox(Channel channel) const
{
    return filters_[ChannelIndex(channel)];
}

QRadioButton* PPColor::StoredExposureButton(int number) const
{
    return number == 2 ? stored_[1] : stored_[0];
}

void PPColor::ShowExposure(const ExposureReadout& readout)
{
    SCANORA_ASSERT_GUI_THREAD();
    showing_ = true;
    for (const Channel channel : kChannels) {
        const std::size_t c = ChannelIndex(channel);
        gains_[c]->setValue(readout.gainTenths[c] / kTenthsPerDecibel);
        filters_[c]->setValue(readout.filterTenths[c] / kTenthsPerDecibel);
    }
    const double baseline = app_.CameraSetting().Prefs().baselineISO;
    iso_->setText(QString::asprintf("ISO %3.0f", baseline * readout.iso / 100.0));
    StoredExposureButton(readout.storedExposure)->setChecked(true);
    showing_ = false;
}

void PPColor::RefreshReadouts()
{
    SCANORA_ASSERT_GUI_THREAD();
    const QVExposure& exposure = app_.Exposure();
    QStringList lines;
    const int count = exposure.SamplePoints().Count();
    for (int i = 0; i < count; ++i) {
        const SpotMean16 mean = exposure.SampleMean(i);
        lines << QStringLiteral("%1: R %2  G %3  B %4")
                     .arg(i + 1)
                     .arg(mean.red)
                     .arg(mean.green)
                     .arg(mean.blue);
    }
    const ChannelValues& pending = exposure.GetPendingCorrections();
    if (count > 0)
        lines << QString::asprintf("Balance: R %+.1f  G %+.1f  B %+.1f dB",
                                   pending[0] / kTenthsPerDecibel, pending[1] / kTenthsPerDecibel,
                                   pending[2] / kTenthsPerDecibel);
    samples_->setText(lines.join('\n'));
    balance_->setEnabled(count > 0 && !exposure.IsBalanceApplied());
}

void PPColor::ShowProfiles()
{
    SCANORA_ASSERT_GUI_THREAD();
    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    profiles_->clear();
    for (const std::string& path : prefs.iccProfiles)
        profiles_->addItem(QFileInfo(QString::fromStdString(path)).fileName(),
                           QString::fromStdString(path));
    profiles_->setCurrentIndex(prefs.currentICCProfileIndex - 1);
    embed_->setChecked(prefs.embedICCProfile);
}

void PPColor::BrowseProfile()
{
    const std::optional<std::string> path = FileDialogs::ProfileToAdd(this, ProfileFolder());
    if (!path)
        return;
    app_.CameraSetting().AddProfile(*path);
    ShowProfiles();
    Q_EMIT displayProfileChanged();
}

void PPColor::SetControlsEnabled(bool enabled)
{
    SCANORA_ASSERT_GUI_THREAD();
    for (QWidget* control :
         std::initializer_list<QWidget*>{SettingsBox(), stored_[0], stored_[1], clearFilters_,
                                         balance_, clearMeter_, profiles_, browse_, embed_})
        control->setEnabled(enabled);
    for (std::size_t c = 0; c < 3; ++c) {
        gains_[c]->setEnabled(enabled);
        filters_[c]->setEnabled(enabled);
    }
    if (enabled)
        RefreshReadouts();
}

}  // namespace scanora::ui
