#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace scanora::ui {

// The two small arrow buttons beside a number field that step its number by one within a
// range; a number outside the range is first brought into it.
class CUpDown : public QWidget {
    Q_OBJECT

public:
    CUpDown(QLineEdit& buddy, int low, int high, QWidget* parent = nullptr);

    void Step(int by);
    [[nodiscard]] QToolButton* UpButton() const { return up_; }
    [[nodiscard]] QToolButton* DownButton() const { return down_; }

Q_SIGNALS:
    // The buddy field now holds `value`.
    void stepped(int value);

private:
    QLineEdit& buddy_;
    const int low_;
    const int high_;
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
};

}  // namespace scanora::ui
