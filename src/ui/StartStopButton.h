#pragma once

#include <QToolButton>

namespace scanora::ui {

// A button that runs a motor while it is held: pressing it starts the action, letting go stops
// it. The button keeps the mouse meanwhile, so the release is seen wherever the pointer has
// gone. A held button that is disabled or hidden stops too, so the motor never runs on without
// a button that holds it.
class StartStopButton : public QToolButton {
    Q_OBJECT

public:
    explicit StartStopButton(const QString& text, QWidget* parent = nullptr);

    [[nodiscard]] bool IsRunning() const { return running_; }

Q_SIGNALS:
    void startRequested();
    void stopRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Stop();

    bool running_ = false;
};

}  // namespace scanora::ui
