#pragma once

#include <QObject>

#include <initializer_list>
#include <vector>

namespace scanora::ui {

// Watches the application's key presses and releases and tells whether a set of keys is held
// down together (the diagnostics gate: J and Q held as the menu opens). Install it on the
// application; losing the focus to another program forgets every key.
class HeldKeys : public QObject {
    Q_OBJECT

public:
    HeldKeys(std::initializer_list<int> keys, QObject* parent = nullptr);

    // True while every watched key is down.
    [[nodiscard]] bool AllHeld() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Key {
        int code = 0;
        bool down = false;
    };
    std::vector<Key> keys_;
};

}  // namespace scanora::ui
