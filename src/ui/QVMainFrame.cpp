#include "ui/QVMainFrame.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

#include "context/AppContext.h"
#include "settings/QVCameraSetting.h"
#include "ui/CFitButton.h"
#include "ui/CTabControls.h"
#include "ui/GuiThread.h"
#include "ui/HeldKeys.h"
#include "ui/MainControl.h"
#include "ui/MainMenus.h"
#include "ui/MainWindowPreferences.h"
#include "ui/QVHistogram.h"
#include "ui/QVUIHandler.h"
#include "ui/QorvaneView.h"
#include "ui/QtUiPort.h"

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

QString SettingsKey()
{
    return QStringLiteral("Settings/WindowPos %1").arg(kFrameNumber);
}

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
    side_ = new QWidget(central);
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
    connect(tabs_, &CTabControls::abortKeyPressed, view_, &QorvaneView::AbortKey);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { UpdateCommands(); });
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
    const int paneWidth = PaneWidth();
    for (QWidget* pane : {static_cast<QWidget*>(panel_), static_cast<QWidget*>(tabs_),
                          static_cast<QWidget*>(histogram_)})
        pane->setFixedWidth(paneWidth);
    panel_->setMinimumHeight(column ? kPanelHeight : kPanelHeightInRow);
    tabs_->setMinimumHeight(kTabsHeight);
    histogram_->setMinimumHeight(column ? kHistogramHeight : kTabsHeight);
    if (column) {
        side_->setFixedWidth(paneWidth);
        side_->setMinimumHeight(0);
        side_->setMaximumHeight(QWIDGETSIZE_MAX);
    } else {
        side_->setMinimumWidth(0);
        side_->setMaximumWidth(QWIDGETSIZE_MAX);
        side_->setFixedHeight(kPanelHeightInRow);
    }

    auto* layout =
        new QBoxLayout(column ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const bool sideFirst = position_ == 1 || position_ == 2;  // left or top
    if (sideFirst)
        layout->addWidget(side_);
    layout->addWidget(view_, 1);
    if (!sideFirst)
        layout->addWidget(side_);
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
    case WindowCommand::OpenDiagnostics: break;  // no diagnostics window yet
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
    const QString text = QSettings().value(SettingsKey()).toString();
    const QStringList fields = text.split(',');
    if (fields.size() != 10)
        return;
    std::array<int, 4> rect{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        rect[static_cast<std::size_t>(i)] = fields[6 + i].toInt(&ok);
        if (!ok)
            return;
    }
    const QRect normal(QPoint(rect[0], rect[1]), QPoint(rect[2] - 1, rect[3] - 1));
    if (normal.width() < minimumWidth() || normal.height() < minimumHeight())
        return;  // a damaged entry does not make an unusable window
    move(normal.topLeft());
    resize(normal.size());
}

void QVMainFrame::SaveWindowPosition() const
{
    const QRect r = geometry();
    const QString text = QString::asprintf("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", 0u, 0u, 0, 0, 0, 0,
                                           r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    QSettings().setValue(SettingsKey(), text);
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
