#include "ui/PPFocus.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "camera/QVFocus.h"
#include "context/AppContext.h"
#include "settings/QVCameraSetting.h"
#include "ui/CGraphButton.h"
#include "ui/FocusDisplaysOnGui.h"
#include "ui/FocusHistoryGraph.h"
#include "ui/FocusLoop.h"
#include "ui/FocusSamplesView.h"
#include "ui/FocusScoreDisplay.h"
#include "ui/GuiThread.h"
#include "ui/LargeFocusDialog.h"

namespace scanora::ui {

namespace {

constexpr std::array<const char*, FocusReading::kChannels> kChannelNames{"Red", "Green", "Blue"};
constexpr std::array<const char*, QVFocus::kZoomLevels> kZoomNames{"0 (widest)", "1", "2",
                                                                   "3 (finest)"};

// The channel switches as the preferences keep them; with none on, all three (a focus aid that
// measures nothing is of no use).
std::array<bool, FocusReading::kChannels> PreferredChannels(const CameraPreferences& prefs)
{
    const std::array<bool, FocusReading::kChannels> kept{
        prefs.focusRedEnabled, prefs.focusGreenEnabled, prefs.focusBlueEnabled};
    if (kept == std::array<bool, FocusReading::kChannels>{})
        return {true, true, true};
    return kept;
}

}  // namespace

PPFocus::PPFocus(AppContext& app, QWidget* parent)
    : QWidget(parent), app_(app), gui_(std::make_unique<GuiThread>())
{
    seam_ = std::make_unique<FocusDisplaysOnGui>(
        *gui_, static_cast<FocusDisplays&>(*this),
        [this](std::chrono::steady_clock::duration delay) {
            delays_.push_back(std::chrono::duration_cast<std::chrono::microseconds>(delay));
            if (delays_.size() > kDelaysKept)
                delays_.pop_front();
        });
    focus_ =
        std::make_unique<QVFocus>(app_.Camera(), app_.Pano(), app_.ForCapture().Curve(), *seam_);
    loop_ = std::make_unique<FocusLoop>(*focus_);
    BuildControls();

    const auto channels = PreferredChannels(app_.CameraSetting().Prefs());
    for (int c = 0; c < FocusReading::kChannels; ++c) {
        const auto i = static_cast<std::size_t>(c);
        const QSignalBlocker quiet(channels_[i]);
        channels_[i]->setChecked(channels[i]);
        samples_->SetBandEnabled(c, channels[i]);
        focus_->SetChannelEnabled(c, channels[i]);
    }
    zoom_->setCurrentIndex(focus_->Zoom());
    ShowWindowWidth(focus_->Width());
}

PPFocus::~PPFocus()
{
    // Nothing more reaches the page; the loop ends, and the carriage is centred if it ran.
    gui_->Close();
    loop_->StopAndWait();
    if (focus_->IsRunning())
        focus_->StopFocus();
    if (busy_ > 0)
        QApplication::restoreOverrideCursor();
}

void PPFocus::BuildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);

    scores_ = new FocusScoreDisplay(22, this);
    layout->addWidget(scores_);

    auto* switches = new QHBoxLayout;
    for (int c = 0; c < FocusReading::kChannels; ++c) {
        auto* box = new QCheckBox(kChannelNames[static_cast<std::size_t>(c)], this);
        connect(box, &QCheckBox::toggled, this, [this, c](bool on) { SetChannelEnabled(c, on); });
        switches->addWidget(box, 1, Qt::AlignHCenter);
        channels_[static_cast<std::size_t>(c)] = box;
    }
    layout->addLayout(switches);

    auto* zoomRow = new QHBoxLayout;
    zoomRow->addWidget(new QLabel("Zoom:", this));
    zoom_ = new QComboBox(this);
    for (const char* name : kZoomNames) zoom_->addItem(name);
    connect(zoom_, &QComboBox::activated, this, [this](int level) { SetZoom(level); });
    zoomRow->addWidget(zoom_);
    width_ = new QLabel(this);
    zoomRow->addWidget(width_, 1);
    layout->addLayout(zoomRow);

    auto* buttons = new QHBoxLayout;
    pick_ = new QPushButton("Pick Line", this);
    pick_->setToolTip("Click the line to focus on in the preview");
    connect(pick_, &QPushButton::clicked, this, &PPFocus::pickLineRequested);
    start_ = new QPushButton("Start", this);
    connect(start_, &QPushButton::clicked, this, [this] {
        if (focusing_)
            StopFocus();
        else
            StartFocus();
    });
    large_ = new QPushButton("Large Window", this);
    connect(large_, &QPushButton::clicked, this, &PPFocus::OpenLargeWindow);
    buttons->addWidget(pick_);
    buttons->addWidget(start_);
    buttons->addWidget(large_);
    layout->addLayout(buttons);

    layout->addWidget(new QLabel("Samples", this));
    samples_ = new CGraphButton(this);
    samples_->setToolTip("The window's pixels; click for the large window");
    connect(samples_, &CGraphButton::clicked, this, &PPFocus::OpenLargeWindow);
    layout->addWidget(samples_, 1);
    layout->addWidget(new QLabel("Score history", this));
    graph_ = new FocusHistoryGraph(this);
    layout->addWidget(graph_, 1);
}

QCheckBox* PPFocus::ChannelBox(int channel) const
{
    return channels_.at(static_cast<std::size_t>(channel));
}

template <typename Work>
void PPFocus::Change(Work work)
{
    if (loop_->HasThread())
        loop_->Post(std::move(work));
    else
        work();
}

void PPFocus::StartFocus()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (focusing_)
        return;
    focusing_ = true;
    history_.Clear();
    graph_->Clear();
    start_->setText("Stop");
    loop_->Post([focus = focus_.get()] {
        // Without a picked line the window reads the middle of the field.
        if (!focus->IsWindowPlaced()) {
            const auto [column, line] = focus->CentrePlace();
            focus->PlaceWindow(column, line);
        }
        focus->StartFocus();
    });
    loop_->Start(0);
    Q_EMIT focusingChanged(true);
}

void PPFocus::StopFocus()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (!focusing_)
        return;
    focusing_ = false;
    start_->setText("Start");
    loop_->PostStop();
    if (!loop_->HasThread())
        loop_->Start(0);
    samples_->Clear();
    Q_EMIT focusingChanged(false);
}

void PPFocus::PlaceWindow(int column, int line)
{
    SCANORA_ASSERT_GUI_THREAD();
    Change([focus = focus_.get(), column, line] { focus->PlaceWindow(column, line); });
}

void PPFocus::SetZoom(int level)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (zoom_->currentIndex() != level)
        zoom_->setCurrentIndex(level);
    Change([focus = focus_.get(), level] { focus->SetZoom(level); });
}

void PPFocus::SetChannelEnabled(int channel, bool enabled)
{
    SCANORA_ASSERT_GUI_THREAD();
    QCheckBox* box = ChannelBox(channel);
    if (box->isChecked() != enabled) {
        box->setChecked(enabled);  // comes back here through the box's signal
        return;
    }
    CameraPreferences& prefs = app_.CameraSetting().Prefs();
    (channel == QVFocus::kRed     ? prefs.focusRedEnabled
     : channel == QVFocus::kGreen ? prefs.focusGreenEnabled
                                  : prefs.focusBlueEnabled) = enabled;
    samples_->SetBandEnabled(channel, enabled);
    Change(
        [focus = focus_.get(), channel, enabled] { focus->SetChannelEnabled(channel, enabled); });
}

void PPFocus::OpenLargeWindow()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (!dialog_) {
        dialog_ = new LargeFocusDialog(this);
        dialog_->setWindowFlag(Qt::Window);
    }
    dialog_->Clear();
    if (history_.Count() > 0)
        dialog_->ShowReading(focus_->LastReading(), history_);
    dialog_->show();
    dialog_->raise();
}

void PPFocus::ShowFocusReading(const FocusReading& reading)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (!focusing_)
        return;  // a reading that was under way when the user stopped
    history_.Add(reading);
    scores_->Show(reading, history_);
    ShowFocusSamples(reading, *samples_);
    graph_->SetHistory(history_, reading.enabled);
    if (dialog_ && dialog_->isVisible())
        dialog_->ShowReading(reading, history_);
}

void PPFocus::ClearFocusDisplay()
{
    SCANORA_ASSERT_GUI_THREAD();
    scores_->Clear();
    samples_->Clear();
    if (dialog_)
        dialog_->Clear();
}

void PPFocus::ShowWindowWidth(const FocusWindowWidth& width)
{
    SCANORA_ASSERT_GUI_THREAD();
    width_->setText(QString("%1 px, %2 mm").arg(width.pixels).arg(width.millimetres, 0, 'f', 2));
    Q_EMIT windowWidthChanged(width.pixels);
}

void PPFocus::ShowBusy(bool busy)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (busy) {
        if (busy_++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busy_ > 0 && --busy_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace scanora::ui
