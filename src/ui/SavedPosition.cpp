#include "ui/SavedPosition.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStringList>
#include <QWidget>

#include <array>

#include "ui/GuiThread.h"

namespace scanora::ui {

QString SavedPosition::Key() const
{
    return QStringLiteral("Settings/WindowPos %1").arg(windowNumber_);
}

std::optional<QRect> SavedPosition::Parse(const QString& text)
{
    const QStringList fields = text.split(',');
    if (fields.size() != 10)
        return std::nullopt;
    std::array<int, 10> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        bool ok = false;
        values[i] = fields[static_cast<qsizetype>(i)].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return QRect(QPoint(values[6], values[7]), QPoint(values[8] - 1, values[9] - 1));
}

QString SavedPosition::Format(const QRect& normal)
{
    return QString::asprintf("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", 0u, 0u, 0, 0, 0, 0, normal.left(),
                             normal.top(), normal.right() + 1, normal.bottom() + 1);
}

void SavedPosition::Restore(QWidget& window, bool withSize) const
{
    SCANORA_ASSERT_GUI_THREAD();
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->availableGeometry() : QRect();
    const std::optional<QRect> saved = Parse(QSettings().value(Key()).toString());
    if (!saved || saved->width() <= 0 || saved->height() <= 0) {
        // Nothing usable: the window opens in the middle of the screen.
        if (!desktop.isEmpty()) {
            QRect frame = window.frameGeometry();
            frame.moveCenter(desktop.center());
            window.move(frame.topLeft());
        }
        return;
    }
    QPoint corner = saved->topLeft();
    if (!desktop.isEmpty() && (corner.x() > desktop.right() || corner.y() > desktop.bottom()))
        corner = QPoint(0, 0);
    // The window's own rectangle, as Save wrote it: moving the frame there instead would let
    // the window creep by its title bar at every start.
    const QSize size = withSize ? saved->size().expandedTo(window.minimumSize()) : window.size();
    window.setGeometry(QRect(corner, size));
}

void SavedPosition::Save(const QWidget& window) const
{
    SCANORA_ASSERT_GUI_THREAD();
    QSettings().setValue(Key(), Format(window.geometry()));
}

}  // namespace scanora::ui
