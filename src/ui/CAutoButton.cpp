#include "ui/CAutoButton.h"

#include <QMouseEvent>

namespace scanora::ui {

CAutoButton::CAutoButton(QWidget* parent) : QPushButton(parent)
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &CAutoButton::Repeat);
}

int CAutoButton::RepeatDelay(int n)
{
    if (n <= 0)
        return kFirstDelayMs;
    return n <= kSlowRepeats ? kSlowIntervalMs : kFastIntervalMs;
}

void CAutoButton::mousePressEvent(QMouseEvent* event)
{
    QPushButton::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    repeats_ = 0;
    Q_EMIT stepped();
    timer_.start(RepeatDelay(0));
}

void CAutoButton::mouseReleaseEvent(QMouseEvent* event)
{
    timer_.stop();
    // The press already stepped; a release must not step again through clicked().
    setDown(false);
    event->accept();
}

void CAutoButton::Repeat()
{
    if (!isDown())
        return;
    Q_EMIT stepped();
    if (companion_)
        companion_->update();
    ++repeats_;
    timer_.start(RepeatDelay(repeats_));
}

}  // namespace scanora::ui
