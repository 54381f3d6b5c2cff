#include "ui/StartStopButton.h"

#include <QMouseEvent>

#include "ui/GuiThread.h"

namespace scanora::ui {

StartStopButton::StartStopButton(const QString& text, QWidget* parent) : QToolButton(parent)
{
    setText(text);
}

void StartStopButton::mousePressEvent(QMouseEvent* event)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (event->button() != Qt::LeftButton || running_ || !isEnabled()) {
        event->ignore();
        return;
    }
    running_ = true;
    setDown(true);
    grabMouse();
    event->accept();
    Q_EMIT startRequested();
}

void StartStopButton::mouseReleaseEvent(QMouseEvent* event)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (event->button() != Qt::LeftButton || !running_) {
        event->ignore();
        return;
    }
    event->accept();
    Stop();
}

void StartStopButton::mouseMoveEvent(QMouseEvent* event)
{
    // The button stays down wherever the pointer goes until it is let go.
    event->accept();
}

void StartStopButton::hideEvent(QHideEvent* event)
{
    if (running_)
        Stop();
    QToolButton::hideEvent(event);
}

void StartStopButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled() && running_)
        Stop();
    QToolButton::changeEvent(event);
}

void StartStopButton::Stop()
{
    running_ = false;
    setDown(false);
    releaseMouse();
    Q_EMIT stopRequested();
}

}  // namespace scanora::ui
