#include "ui/CUpDown.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

#include "settings/PreferenceRanges.h"
#include "ui/GuiThread.h"

namespace scanora::ui {

CUpDown::CUpDown(QLineEdit& buddy, int low, int high, QWidget* parent)
    : QWidget(parent), buddy_(buddy), low_(low), high_(high)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const auto arrow : {Qt::UpArrow, Qt::DownArrow}) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        layout->addWidget(button);
        const int by = arrow == Qt::UpArrow ? 1 : -1;
        connect(button, &QToolButton::clicked, this, [this, by] { Step(by); });
        (arrow == Qt::UpArrow ? up_ : down_) = button;
    }
}

void CUpDown::Step(int by)
{
    SCANORA_ASSERT_GUI_THREAD();
    const long shown = PreferenceRanges::ReadNumber(buddy_.text().toStdString());
    const long inRange = std::clamp<long>(shown, low_, high_);
    const int value = static_cast<int>(std::clamp<long>(inRange + by, low_, high_));
    buddy_.setText(QString::number(value));
    Q_EMIT stepped(value);
}

}  // namespace scanora::ui
