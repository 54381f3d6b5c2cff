#pragma once

#include <QPushButton>
#include <QTimer>

namespace scanora::ui {

// A push button that repeats its command while it is held down: the first repeat after 700 ms,
// nine more every 200 ms, then every 100 ms until the mouse is released. A companion widget, when
// set, is redrawn after every repeat.
class CAutoButton : public QPushButton {
    Q_OBJECT

public:
    static constexpr int kFirstDelayMs = 500 + 200;
    static constexpr int kSlowIntervalMs = 200;
    static constexpr int kSlowRepeats = 9;
    static constexpr int kFastIntervalMs = 100;

    explicit CAutoButton(QWidget* parent = nullptr);

    void SetCompanion(QWidget* companion) { companion_ = companion; }
    // The delay before repeat number `n` (0 = the first repeat) after the one before it.
    [[nodiscard]] static int RepeatDelay(int n);

Q_SIGNALS:
    // Each press and each repeat while held.
    void stepped();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Repeat();

    QTimer timer_;
    int repeats_ = 0;
    QWidget* companion_ = nullptr;
};

}  // namespace scanora::ui
