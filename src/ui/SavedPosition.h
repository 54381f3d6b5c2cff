#pragma once

#include <QRect>
#include <QString>

#include <optional>

class QWidget;

namespace scanora::ui {

// Where a window was last placed, kept in the user profile as "Settings/WindowPos N": ten
// numbers, of which only the normal rectangle (left, top, right, bottom) is used; the rest are
// written as 0. A window without a usable entry is centred on its screen, and a saved corner
// beyond the screen's width or height moves to (0, 0).
class SavedPosition {
public:
    explicit SavedPosition(int windowNumber) : windowNumber_(windowNumber) {}

    // Moves `window` to its saved place; with `withSize` it also takes the saved size (never
    // below the window's minimum).
    void Restore(QWidget& window, bool withSize) const;
    void Save(const QWidget& window) const;

    // The saved normal rectangle, when the entry parses into exactly ten numbers.
    [[nodiscard]] static std::optional<QRect> Parse(const QString& text);
    [[nodiscard]] static QString Format(const QRect& normal);

private:
    [[nodiscard]] QString Key() const;

    int windowNumber_;
};

}  // namespace scanora::ui
