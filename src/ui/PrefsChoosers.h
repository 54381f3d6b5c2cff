#pragma once

#include <QColor>
#include <QString>

#include <functional>

class QWidget;

namespace scanora::ui {

// The choosers the preferences dialog opens: a folder, a program, a sound file and a colour.
// Each answers an empty text (or an invalid colour) when the user cancels. Tests put their own
// answers in place of the real dialogs.
struct PrefsChoosers {
    // A folder, starting at `start`, under the title `title`.
    std::function<QString(QWidget* parent, const QString& title, const QString& start)> folder;
    // An existing program file, starting at `start`.
    std::function<QString(QWidget* parent, const QString& start)> application;
    // An existing sound file, starting at `start`.
    std::function<QString(QWidget* parent, const QString& start)> sound;
    // A colour, starting at `start`.
    std::function<QColor(QWidget* parent, const QColor& start)> color;

    // The desktop's own dialogs.
    [[nodiscard]] static PrefsChoosers Standard();
};

}  // namespace scanora::ui
