#include "ui/HeldKeys.h"

#include <QEvent>
#include <QKeyEvent>

#include <algorithm>

namespace scanora::ui {

HeldKeys::HeldKeys(std::initializer_list<int> keys, QObject* parent) : QObject(parent)
{
    for (const int code : keys) keys_.push_back({code, false});
}

bool HeldKeys::AllHeld() const
{
    return !keys_.empty() &&
           std::all_of(keys_.begin(), keys_.end(), [](const Key& key) { return key.down; });
}

bool HeldKeys::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        // A key event passes every widget up the parent chain: only its first sight counts,
        // and repeats change nothing.
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (!key->isAutoRepeat() && watched->isWidgetType()) {
            const bool down = event->type() == QEvent::KeyPress;
            for (Key& held : keys_)
                if (held.code == key->key())
                    held.down = down;
        }
        break;
    }
    case QEvent::ApplicationDeactivate:
        for (Key& held : keys_) held.down = false;
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace scanora::ui
