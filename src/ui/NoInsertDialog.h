#pragma once

#include <QDialog>

#include <cstdint>

class QRadioButton;

namespace scanora::ui {

// Asked before the camera disk is opened when the controller reports no insert: which insert
// took the images, so that they are read as that model's.
class NoInsertDialog : public QDialog {
    Q_OBJECT

public:
    explicit NoInsertDialog(QWidget* parent = nullptr);

    // The model code of the checked choice: 4, 7 or 1.
    [[nodiscard]] std::uint16_t ModelCode() const;
    [[nodiscard]] QRadioButton* Choice(int index) const;

private:
    QRadioButton* choices_[3] = {};
};

}  // namespace scanora::ui
