#include "ui/CFitButton.h"

#include <QApplication>
#include <QStyle>

#include "ui/QorvaneView.h"

namespace scanora::ui {

CFitButton::CFitButton(QorvaneView& view, QWidget* parent) : QToolButton(parent), view_(view)
{
    setIcon(style()->standardIcon(QStyle::SP_TitleBarMaxButton));
    setAutoRaise(true);
    setToolTip("Zoom to Fit (Alt: 100%)");
    setFixedSize(18, 18);
    connect(this, &QToolButton::clicked, this, &CFitButton::Fit);
}

void CFitButton::Fit()
{
    if (QApplication::queryKeyboardModifiers() & Qt::AltModifier)
        view_.ZoomActual();
    else
        view_.FitToWindow();
}

}  // namespace scanora::ui
