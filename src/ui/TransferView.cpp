#include "ui/TransferView.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <climits>

#include "ui/GuiThread.h"

namespace scanora::ui {

namespace {

int ToInt(std::uint32_t value)
{
    return static_cast<int>(std::min<std::uint32_t>(value, INT_MAX));
}

}  // namespace

TransferView::TransferView(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    status_ = new QLabel(this);
    status_->setTextFormat(Qt::PlainText);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    transferring_ = new QLabel("Transferring", this);
    remaining_ = new QLabel("Time Remaining", this);
    cancel_ = new QPushButton("Cancel", this);
    layout->addWidget(status_, 0, 0, 1, 3);
    layout->addWidget(bar_, 1, 0, 1, 3);
    layout->addWidget(transferring_, 2, 0);
    layout->addWidget(remaining_, 2, 1);
    layout->addWidget(cancel_, 2, 2, Qt::AlignRight);
    layout->setColumnStretch(1, 1);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        cancel_->setEnabled(false);
        Q_EMIT cancelRequested();
    });
}

void TransferView::ShowStatus(const QString& text)
{
    SCANORA_ASSERT_GUI_THREAD();
    status_->setText(text);
    Q_EMIT started();
}

void TransferView::Begin(std::uint32_t blockCount)
{
    SCANORA_ASSERT_GUI_THREAD();
    bar_->setRange(0, std::max(ToInt(blockCount), 1));
    bar_->setValue(0);
    remaining_->setText("Time Remaining");
    cancel_->setEnabled(true);
    Q_EMIT started();
}

void TransferView::ShowProgress(std::uint32_t blocksDone, std::uint32_t blockCount,
                                const QString& remaining)
{
    SCANORA_ASSERT_GUI_THREAD();
    bar_->setRange(0, std::max(ToInt(blockCount), 1));
    bar_->setValue(std::min(ToInt(blocksDone), bar_->maximum()));
    remaining_->setText(remaining);
}

void TransferView::End()
{
    SCANORA_ASSERT_GUI_THREAD();
    cancel_->setEnabled(true);
}

QString TransferView::StatusText() const
{
    return status_->text();
}

QString TransferView::RemainingText() const
{
    return remaining_->text();
}

}  // namespace scanora::ui
