#pragma once

#include <QLineEdit>
#include <QString>

namespace scanora::ui {

// An edit field that takes only the characters its filter mode allows and refuses, with a
// beep, a character that would make the text too long: in the text and integer modes the whole
// text, in the decimal modes the digits before and after the separator ("." or ","), of which
// there is only ever one. Backspace always passes; keys that type no character (arrows, Delete,
// shortcuts) and pasted text are not filtered.
class QVEdit : public QLineEdit {
    Q_OBJECT

public:
    enum class Mode : int {
        Text = 0,
        UnsignedInteger = 1,
        SignedInteger = 2,
        UnsignedDecimal = 3,
        SignedDecimal = 4,
    };
    static constexpr int kInitialMaxDigits = 999;

    explicit QVEdit(QWidget* parent = nullptr);

    void SetMode(Mode mode) { mode_ = mode; }
    [[nodiscard]] Mode GetMode() const { return mode_; }
    // The longest text (text and integer modes) or integer part (decimal modes), and the
    // longest fraction.
    void SetMaxLengths(int whole, int fraction);

    // The characters `mode` lets through.
    [[nodiscard]] static QString Allowed(Mode mode);
    // Whether `result`, the text a typed character would leave, keeps to the lengths.
    [[nodiscard]] static bool Fits(Mode mode, const QString& result, int whole, int fraction);

Q_SIGNALS:
    // A typed character was refused with a beep.
    void refused();
    // The field lost the keyboard focus (its range check runs then).
    void focusLeft();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    Mode mode_ = Mode::UnsignedInteger;
    int maxWhole_ = kInitialMaxDigits;
    int maxFraction_ = 0;
};

}  // namespace scanora::ui
