#include "ui/LargeFocusDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/CGraphButton.h"
#include "ui/FocusHistoryGraph.h"
#include "ui/FocusSamplesView.h"
#include "ui/FocusScoreDisplay.h"
#include "ui/GuiThread.h"

namespace scanora::ui {

LargeFocusDialog::LargeFocusDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Focus");
    auto* layout = new QVBoxLayout(this);
    scores_ = new FocusScoreDisplay(48, this);
    layout->addWidget(scores_);
    layout->addWidget(new QLabel("Score history", this));
    history_ = new FocusHistoryGraph(this);
    history_->setMinimumHeight(160);
    layout->addWidget(history_, 2);
    layout->addWidget(new QLabel("Samples", this));
    samples_ = new CGraphButton(this);
    samples_->setMinimumHeight(120);
    layout->addWidget(samples_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(640, 520);
}

void LargeFocusDialog::ShowReading(const FocusReading& reading, const FocusHistory& history)
{
    SCANORA_ASSERT_GUI_THREAD();
    scores_->Show(reading, history);
    history_->SetHistory(history, reading.enabled);
    ShowFocusSamples(reading, *samples_);
}

void LargeFocusDialog::Clear()
{
    SCANORA_ASSERT_GUI_THREAD();
    scores_->Clear();
    samples_->Clear();
}

}  // namespace scanora::ui
