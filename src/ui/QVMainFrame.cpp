#include "ui/QVMainFrame.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <algorithm>

#include "camera/QVFocus.h"
#include "context/AppContext.h"
#include "settings/QVCameraSetting.h"
#include "ui/CFitButton.h"
#include "ui/CTabControls.h"
#include "ui/DiagnosticsDialog.h"
#include "ui/GuiThread.h"
#include "ui/HeldKeys.h"
#include "ui/MainControl.h"
#include "ui/MainMenus.h"
#include "ui/MainWindowPreferences.h"
#include "ui/PPFocus.h"
#include "ui/QVHistogram.h"
#include "ui/QVUIHandler.h"
#include "ui/QorvaneView.h"
#include "ui/QtUiPort.h"
#include "ui/SavedPosition.h"
#include "ui/WheelZoom.h"

namespace scanora::ui {

namespace {

constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 620;
constexpr int kMinimumWidth = 480;
constexpr int kMinimumHeight = 620;
constexpr int kStatusBarHeight = 20;
constexpr int kToolBarsHeight = 48;
constexpr int kPanelHeight = 200;
constexpr int kPanelHeightInRow = 231;
constexpr int kTabsHeight = 231;
constexpr int kHistogramHeight = 100;
constexpr int kStatusPaneWidth = 100;
constexpr int kStatusPaneReserve = 300;
constexpr int kFrameNumber = 0;

// Ctrl and "." on the histogram go on to the view as the abort key.
class AbortKeyFilter : public QObject {
public:
    AbortKeyFilter(QorvaneView& view, QObject* parent) : QObject(parent), view_(view) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Period && (key->modifiers() & Qt::ControlModifier)) {
                view_.AbortKey();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QorvaneView& view_;
};

}  // namespace

QVMainFrame::QVMainFrame(AppContext& app, QtUiPort& ui, const Options& options, QWidget* parent)
    : QMainWindow(parent), app_(app), ui_(ui), options_(options)
{
    setWindowTitle(QApplication::applicationDisplayName());
    auto* central = new QWidget(this);
    setCentralWidget(central);
    document_ = std::make_unique<PreviewDocument>(app_, options_.timing);
    view_ = new QorvaneView(app_, *document_, central);
    document_->AttachDisplay(view_->CaptureDisplay());
    new WheelZoom(*view_);
    // The panes scroll when the window is too small for them; they are never squeezed.
    sideScroll_ = new QScrollArea(central);
    sideScroll_->setObjectName("controlPanes");
    sideScroll_->setFrameShape(QFrame::NoFrame);
    sideScroll_->setWidgetResizable(true);
    side_ = new QWidget(sideScroll_);
    panel_ = new MainControl(side_);
    tabs_ = new CTabControls(app_, side_);
    histogram_ = new QVHistogram(app_, *view_, side_);
    tabs_->SetHistogramPage(&histogram_->SettingsPage());
    histogram_->installEventFilter(new AbortKeyFilter(*view_, histogram_));
    handler_ = new QVUIHandler(app_, *view_, *panel_, *tabs_, options_.pollInterval, this);

    menus_ = new MainMenus(*this, app_, ui_);
    menus_->Build();
    preferences_ = std::make_unique<MainWindowPreferences>(*this, app_);
    BuildStatusBar();
    sideScroll_->setWidget(side_);
    LayOut();
    UpdateMinimumSize();
    resize(kFrameWidth, kFrameHeight);
    if (options_.savedPosition)
        RestoreWindowPosition();

    diagnosticsKeys_ = new HeldKeys({Qt::Key_J, Qt::Key_Q}, this);
    qApp->installEventFilter(diagnosticsKeys_);

    connect(&ui_, &QtUiPort::commandPosted, this, &QVMainFrame::OnWindowCommand);
    connect(view_, &QorvaneView::statusText, pane0_, &QLabel::setText);
    connect(view_, &QorvaneView::captureControlsEnabled, this, [this] { UpdateCommands(); });
    connect(handler_, &QVUIHandler::pollShown, this, [this] { UpdateCommands(); });
    connect(tabs_, &CTabControls::abortKeyPressed, view_, &QorvaneView::AbortKey);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { UpdateCommands(); });
    // The focus page picks its line with tool 4 on the preview, which marks the window.
    PPFocus& focus = tabs_->FocusPage();
    connect(&focus, &PPFocus::pickLineRequested, view_,
            [this] { view_->SetTool(ToolKind::FocusLine); });
    connect(view_, &QorvaneView::focusLinePlaced, &focus, &PPFocus::PlaceWindow);
    connect(&focus, &PPFocus::windowWidthChanged, view_, &QorvaneView::SetFocusWindowWidth);
    connect(&focus, &PPFocus::focusingChanged, view_, &QorvaneView::SetFocusing);
    view_->SetFocusWindowWidth(focus.Focus().Width().pixels);
}

QVMainFrame::~QVMainFrame()
{
    // Workers waiting for an answer or a paint are let go before the document and the views
    // stop them.
    ui_.Close();
    view_->CloseCaptureSeam();
    handler_->StopPoll();
}

void QVMainFrame::PreferencesLoaded()
{
    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    SetControlPosition(QVCameraSetting::ControlPositionCode(prefs.controlPosition));
    UpdateCommands();
}

void QVMainFrame::Start()
{
    handler_->Initialize();
    UpdateCommands();
}

void QVMainFrame::BuildStatusBar()
{
    fitButton_ = new CFitButton(*view_, statusBar());
    pane0_ = new QLabel(statusBar());
    pane0_->setFixedWidth(kStatusPaneWidth);
    pane1_ = new QLabel(statusBar());
    statusBar()->addWidget(fitButton_);
    statusBar()->addWidget(pane0_);
    statusBar()->addWidget(pane1_, 1);
}

void QVMainFrame::LayOut()
{
    QWidget* central = centralWidget();
    delete central->layout();
    delete side_->layout();

    const bool column = position_ == 0 || position_ == 1;  // right or left
    auto* sideLayout =
        new QBoxLayout(column ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, side_);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->setSpacing(0);
    sideLayout->addWidget(panel_);
    sideLayout->addWidget(tabs_);
    sideLayout->addWidget(histogram_);
    sideLayout->addStretch(1);
    // Each pane at least as large as it needs; an explicit minimum below that would let the
    // layout squeeze its rows together.
    const int paneWidth = PaneWidth();
    const auto atLeast = [](QWidget* pane, int width, int height) {
        pane->setMinimumSize(0, 0);
        pane->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        const QSize needs = pane->minimumSizeHint();
        pane->setMinimumSize(std::max(width, needs.width()), std::max(height, needs.height()));
    };
    atLeast(panel_, paneWidth, column ? kPanelHeight : kPanelHeightInRow);
    atLeast(tabs_, paneWidth, kTabsHeight);
    atLeast(histogram_, paneWidth, column ? kHistogramHeight : kTabsHeight);

    // Room for the scroll bar is kept beside (or below) the panes, so that a bar that comes
    // when the window gets small covers nothing.
    const int bar =
        sideScroll_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, sideScroll_);
    sideScroll_->setMinimumSize(0, 0);
    sideScroll_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (column) {
        sideScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        sideScroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        sideScroll_->setFixedWidth(side_->minimumSizeHint().width() + bar);
    } else {
        sideScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        sideScroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        sideScroll_->setFixedHeight(side_->minimumSizeHint().height() + bar);
    }

    auto* layout =
        new QBoxLayout(column ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const bool sideFirst = position_ == 1 || position_ == 2;  // left or top
    if (sideFirst)
        layout->addWidget(sideScroll_);
    layout->addWidget(view_, 1);
    if (!sideFirst)
        layout->addWidget(sideScroll_);
}

void QVMainFrame::SetControlPosition(int position)
{
    SCANORA_ASSERT_GUI_THREAD();
    position_ = (position >= 0 && position <= 3) ? position : 0;
    app_.CameraSetting().Prefs().controlPosition =
        std::string(QVCameraSetting::ControlPositionText(position_));
    LayOut();
    UpdateCommands();
}

void QVMainFrame::SetStatusBarShown(bool shown)
{
    SCANORA_ASSERT_GUI_THREAD();
    statusBarShown_ = shown;
    statusBar()->setVisible(shown);
    UpdateMinimumSize();
}

void QVMainFrame::SetToolBarsShown(bool shown)
{
    SCANORA_ASSERT_GUI_THREAD();
    toolBarsShown_ = shown;
    menus_->FirstToolBar()->setVisible(shown);
    menus_->MainToolBar()->setVisible(shown);
    UpdateMinimumSize();
}

void QVMainFrame::UpdateMinimumSize()
{
    int height = kMinimumHeight;
    if (!statusBarShown_)
        height -= kStatusBarHeight;
    if (!toolBarsShown_)
        height -= kToolBarsHeight;
    setMinimumSize(kMinimumWidth, height);
}

void QVMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (width() > kStatusPaneReserve)
        pane0_->setFixedWidth(width() - kStatusPaneReserve);
}

QAction* QVMainFrame::Action(int command) const
{
    return menus_->Action(command);
}

bool QVMainFrame::Execute(int command)
{
    return menus_->Execute(command);
}

int QVMainFrame::PaneWidth() const
{
    // As wide as the widest pane needs with this font, never narrower than the usual width.
    return std::max({kPanelWidth, panel_->minimumSizeHint().width(),
                     tabs_->minimumSizeHint().width(), histogram_->minimumSizeHint().width()});
}

bool QVMainFrame::DiagnosticsGateOpen() const
{
    return diagnosticsKeys_->AllHeld();
}

void QVMainFrame::OpenDiagnostics()
{
    SCANORA_ASSERT_GUI_THREAD();
    if (document_->Capture().State() == CaptureState::Prescan) {
        ui_.ShowMessage(kScanningRunning, MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    DiagnosticsDialog dialog(app_.Camera(), ui_, this);
    dialog.exec();
}

void QVMainFrame::UpdateCommands()
{
    if (menus_)
        menus_->Update();
}

void QVMainFrame::OnWindowCommand(int command, const QString& text)
{
    SCANORA_ASSERT_GUI_THREAD();
    switch (static_cast<WindowCommand>(command)) {
    case WindowCommand::ShowStatus: pane1_->setText(text); break;
    case WindowCommand::CaptureEnded: view_->OnCaptureEnded(); break;
    case WindowCommand::SetElapsedTime:
        panel_->SetText(MainControl::kPrescanTime, QVUIHandler::TimeText(text.toInt()));
        break;
    case WindowCommand::SetRemainingTime:
        panel_->SetText(MainControl::kScanTime, QVUIHandler::TimeText(text.toInt()));
        break;
    case WindowCommand::NextImage: view_->OnNextImage(); break;
    case WindowCommand::OpenDiagnostics: OpenDiagnostics(); break;
    }
    UpdateCommands();
}

QString QVMainFrame::VersionText(int major, int minor, int release, int build, const QString& date)
{
    const QByteArray day = date.toUtf8();
    if (build != 0)
        return QString::asprintf("Version: %d.%d.%db%d (BETA RELEASE - %s)", major, minor, release,
                                 build, day.constData());
    return QString::asprintf("Version: %d.%d.%d - %s", major, minor, release, day.constData());
}

void QVMainFrame::RestoreWindowPosition()
{
    SavedPosition(kFrameNumber).Restore(*this, true);
}

void QVMainFrame::SaveWindowPosition() const
{
    SavedPosition(kFrameNumber).Save(*this);
}

void QVMainFrame::closeEvent(QCloseEvent* event)
{
    handler_->StopPoll();
    Q_EMIT closing();
    if (options_.savedPosition)
        SaveWindowPosition();
    event->accept();
}

}  // namespace scanora::ui
