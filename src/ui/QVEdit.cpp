#include "ui/QVEdit.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>

#include "ui/GuiThread.h"

namespace scanora::ui {

namespace {

bool IsDecimal(QVEdit::Mode mode)
{
    return mode == QVEdit::Mode::UnsignedDecimal || mode == QVEdit::Mode::SignedDecimal;
}

bool IsSeparator(QChar c)
{
    return c == '.' || c == ',';
}

}  // namespace

QVEdit::QVEdit(QWidget* parent) : QLineEdit(parent)
{
}

void QVEdit::SetMaxLengths(int whole, int fraction)
{
    maxWhole_ = whole;
    maxFraction_ = fraction;
}

QString QVEdit::Allowed(Mode mode)
{
    switch (mode) {
    case Mode::Text:
        return QStringLiteral(
            " 0123456789qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKLZXCVBNM!@#$%^&()_+-=[]{}`~'."
            ",");
    case Mode::UnsignedInteger: return QStringLiteral("0123456789");
    case Mode::SignedInteger: return QStringLiteral("-0123456789");
    case Mode::UnsignedDecimal: return QStringLiteral("0123456789.,");
    case Mode::SignedDecimal: return QStringLiteral("-0123456789.,");
    }
    return {};
}

bool QVEdit::Fits(Mode mode, const QString& result, int whole, int fraction)
{
    if (!IsDecimal(mode))
        return result.size() <= whole;
    const auto separator = std::find_if(result.begin(), result.end(), IsSeparator);
    const auto before = static_cast<int>(separator - result.begin());
    if (separator == result.end())
        return before <= whole;
    if (std::find_if(separator + 1, result.end(), IsSeparator) != result.end())
        return false;  // one separator only
    const auto after = static_cast<int>(result.end() - separator - 1);
    return before <= whole && after <= fraction;
}

void QVEdit::keyPressEvent(QKeyEvent* event)
{
    SCANORA_ASSERT_GUI_THREAD();
    const QString typed = event->text();
    const bool typesCharacter = typed.size() == 1 && typed[0].isPrint() &&
                                !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
    if (event->key() == Qt::Key_Backspace || !typesCharacter) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (!Allowed(mode_).contains(typed[0])) {
        event->accept();  // dropped without a word
        return;
    }
    QString result = text();
    if (hasSelectedText())
        result.replace(selectionStart(), selectedText().size(), typed);
    else
        result.insert(cursorPosition(), typed);
    if (!Fits(mode_, result, maxWhole_, maxFraction_)) {
        event->accept();
        QApplication::beep();
        Q_EMIT refused();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void QVEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Another window coming up (a message box, a menu) is not the user leaving the field.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        Q_EMIT focusLeft();
}

}  // namespace scanora::ui
