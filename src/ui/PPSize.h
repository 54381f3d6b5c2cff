#pragma once

#include <QString>

#include <cstdint>
#include <optional>

#include "ui/QVPropertyPage.h"
#include "ui/SizeReadout.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace scanora::ui {

// The size page: output width and height in their unit, the resolution and its unit, the pixel
// size, the insert direction and the two locks, wired to the output geometry.
class PPSize : public QVPropertyPage {
    Q_OBJECT

public:
    explicit PPSize(AppContext& app, QWidget* parent = nullptr);
    // Keeps the lists' last selections in the user profile.
    ~PPSize() override;

    // Size units in the order of the unit list, and resolution units in theirs.
    [[nodiscard]] static std::int32_t UnitAt(int entry);
    [[nodiscard]] static std::int32_t ResolutionUnitAt(int entry);

    [[nodiscard]] QLineEdit* WidthEdit() const { return width_; }
    [[nodiscard]] QLineEdit* HeightEdit() const { return height_; }
    [[nodiscard]] QLineEdit* ResolutionEdit() const { return resolution_; }
    [[nodiscard]] QComboBox* UnitsBox() const { return units_; }
    [[nodiscard]] QComboBox* ResolutionUnitsBox() const { return resolutionUnits_; }
    [[nodiscard]] QComboBox* InsertBox() const { return insert_; }
    [[nodiscard]] QLabel* PixelsLabel() const { return pixels_; }

    // What the geometry shows here.
    void ShowOutputSize(const SizeReadout& size);
    void Refresh(const SizeReadout& size);
    void ShowInsertRotation(std::int32_t code);
    void SetControlsEnabled(bool enabled);

private:
    // A finished edit's value within the page's first limits; nothing when the field was not
    // edited or holds no number (the value in force is then shown again).
    std::optional<double> TakeEdit(QLineEdit& edit);
    void WidthEdited();
    void HeightEdited();
    void ResolutionEdited();

    QLineEdit* width_ = nullptr;
    QLineEdit* height_ = nullptr;
    QLineEdit* resolution_ = nullptr;
    QComboBox* units_ = nullptr;
    QComboBox* resolutionUnits_ = nullptr;
    QComboBox* insert_ = nullptr;
    QLabel* pixels_ = nullptr;
    QCheckBox* cropRatioLock_ = nullptr;
    QCheckBox* fileSizeLock_ = nullptr;
    bool showing_ = false;  // filling the controls: their signals are not user edits
};

}  // namespace scanora::ui
