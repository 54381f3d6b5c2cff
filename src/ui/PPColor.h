#pragma once

#include <array>

#include "camera/ExposureDisplays.h"
#include "ui/QVPropertyPage.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace scanora::ui {

// The colour page: the choice between the two stored exposures, the gain and filter of each
// channel in decibels with Clear Filters, the ISO, the neutral balance from the sample points
// with their readouts, and the colour profile list with its browse button and embed switch,
// wired to the exposure.
class PPColor : public QVPropertyPage {
    Q_OBJECT

public:
    explicit PPColor(AppContext& app, QWidget* parent = nullptr);

    [[nodiscard]] QDoubleSpinBox* GainBox(Channel channel) const;
    [[nodiscard]] QDoubleSpinBox* FilterBox(Channel channel) const;
    [[nodiscard]] QLabel* IsoLabel() const { return iso_; }
    [[nodiscard]] QCheckBox* EmbedBox() const { return embed_; }
    [[nodiscard]] QLabel* SampleLabel() const { return samples_; }
    [[nodiscard]] QComboBox* ProfileBox() const { return profiles_; }
    // The button that makes stored exposure 1 or 2 the current one.
    [[nodiscard]] QRadioButton* StoredExposureButton(int number) const;
    [[nodiscard]] QPushButton* ClearFiltersButton() const { return clearFilters_; }

    void ShowExposure(const ExposureReadout& readout);
    // The sample points' values and the pending balance corrections.
    void RefreshReadouts();
    // The profile list from the preferences.
    void ShowProfiles();
    void SetControlsEnabled(bool enabled);

Q_SIGNALS:
    // The profile the preview is shown through, or whether it is embedded, changed: the
    // display is converted again.
    void displayProfileChanged();

private:
    void BrowseProfile();

    std::array<QDoubleSpinBox*, 3> gains_{};
    std::array<QDoubleSpinBox*, 3> filters_{};
    std::array<QRadioButton*, 2> stored_{};
    QPushButton* clearFilters_ = nullptr;
    QLabel* iso_ = nullptr;
    QLabel* samples_ = nullptr;
    QPushButton* balance_ = nullptr;
    QPushButton* clearMeter_ = nullptr;
    QComboBox* profiles_ = nullptr;
    QPushButton* browse_ = nullptr;
    QCheckBox* embed_ = nullptr;
    bool showing_ = false;
};

}  // namespace scanora::ui
