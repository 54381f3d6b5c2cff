#include "ui/QVMainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

#include "camera/QVExposure.h"
#include "context/AppContext.h"
#include "settings/PreferenceCommands.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "ui/CFitButton.h"
#include "ui/CTabControls.h"
#include "ui/HeldKeys.h"
#include "ui/MainControl.h"
#include "ui/PreviewDocument.h"
#include "ui/PreviewFileDialog.h"
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

bool AltHeld()
{
    return QApplication::queryKeyboardModifiers() & Qt::AltModifier;
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
    preferenceCommands_ = std::make_unique<PreferenceCommands>(
        app_.Preferences(), app_.Lists(), app_.Tools(), ui_, [this] { return CaptureRunning(); },
        app_.PreferencesPath());

    BuildMenus();
    BuildToolBars();
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
    // Workers waiting for an answer are let go before the views that own them stop them.
    ui_.Close();
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

QAction* QVMainFrame::AddCommand(QMenu* menu, int id, const QString& text, bool checkable)
{
    auto* action = new QAction(text, this);
    action->setData(id);
    action->setCheckable(checkable);
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    if (menu)
        menu->addAction(action);
    actions_[id] = action;
    return action;
}

void QVMainFrame::BuildMenus()
{
    QMenu* file = menuBar()->addMenu("&File");
    AddCommand(file, kSavePrescan, "Save Prescan...");
    file->addSeparator();
    AddCommand(file, kLoadSettings, "Load Settings...");
    AddCommand(file, kSaveSettings, "Save Settings...");
    AddCommand(file, kSavePreferences, "Save Preferences");
    AddCommand(file, kAutoSavePrefs, "Auto Save Preferences", true);
    file->addSeparator();
    AddCommand(file, kExportCurve, "Export Curve...");
    AddCommand(file, kImportCurve, "Import Curve...");
    file->addSeparator();
    AddCommand(file, kFileManager, "File Manager");
    file->addSeparator();
    QAction* exit = file->addAction("Exit");
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* camera = menuBar()->addMenu("&Camera");
    AddCommand(camera, kPrescan, "Prescan");
    AddCommand(camera, kScan, "Scan");
    camera->addSeparator();
    QMenu* captureMode = camera->addMenu("Capture Mode");
    AddCommand(captureMode, kCaptureColor, "Color", true);
    AddCommand(captureMode, kCaptureRed, "Red", true);
    AddCommand(captureMode, kCaptureGreen, "Green", true);
    AddCommand(captureMode, kCaptureBlue, "Blue", true);
    QMenu* insert = camera->addMenu("Insert");
    AddCommand(insert, kInsertLeft, "Insert Left", true);
    AddCommand(insert, kInsertTop, "Insert Top", true);
    AddCommand(insert, kInsertRight, "Insert Right", true);
    AddCommand(insert, kInsertBottom, "Insert Bottom", true);
    camera->addSeparator();
    AddCommand(camera, kClearMeter, "Clear Meter");
    AddCommand(camera, kCleanPark, "Clean/Park");
    AddCommand(camera, kDiagnostics, "Diagnostics");
    camera->addSeparator();
    AddCommand(camera, kPreferences, "Preferences ...");

    QMenu* view = menuBar()->addMenu("&View");
    AddCommand(view, kControlBar, "Control bar", true);
    AddCommand(view, kStatusBar, "Status bar", true);
    view->addSeparator();
    AddCommand(view, kImageSizePage, "Image Size", true);
    AddCommand(view, kColorBalancePage, "Color Balance", true);
    AddCommand(view, kToneCurvePage, "Tone Curve", true);
    AddCommand(view, kFocusPage, "Focus", true);
    view->addSeparator();
    AddCommand(view, kToneZones, "Tone Zones", true);
    AddCommand(view, kCropMask, "Crop Mask", true);
    AddCommand(view, kGrid, "Grid", true);
    AddCommand(view, kRulers, "Rulers", true);
    AddCommand(view, kClearGuides, "Clear Guides");
    QMenu* display = view->addMenu("Display Mode");
    AddCommand(display, kDisplayColor, "Color", true);
    AddCommand(display, kDisplayRed, "Red", true);
    AddCommand(display, kDisplayGreen, "Green", true);
    AddCommand(display, kDisplayBlue, "Blue", true);
    AddCommand(display, kDisplayMonochrome, "Monochrome", true);
    AddCommand(display, kDisplayLuminance, "Luminance", true);
    view->addSeparator();
    AddCommand(view, kZoomIn, "Zoom In");
    AddCommand(view, kZoomOut, "Zoom Out");
    AddCommand(view, kZoomToFit, "Zoom to Fit");
    AddCommand(view, kZoomActual, "Zoom to 100%");
    AddCommand(view, kNormalizeHistogram, "Normalize Histogram");
    view->addSeparator();
    AddCommand(view, kControlsRight, "Controls on Right", true);
    AddCommand(view, kControlsTop, "Controls on Top", true);
    AddCommand(view, kControlsLeft, "Controls on Left", true);
    AddCommand(view, kControlsBottom, "Controls on Bottom", true);

    QMenu* help = menuBar()->addMenu("&Help");
    AddCommand(help, kAbout, "About");

    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, &QVMainFrame::UpdateCommands);
}

void QVMainFrame::BuildToolBars()
{
    firstToolBar_ = addToolBar("Controls");
    firstToolBar_->setObjectName("toolbar178");
    QAction* wide = AddCommand(nullptr, kSecondToolbarButton, "Scanora", true);
    firstToolBar_->addAction(wide);

    mainToolBar_ = addToolBar("Tools");
    mainToolBar_->setObjectName("toolbar128");
    auto* tools = new QActionGroup(this);
    tools->setExclusive(true);
    const std::pair<int, const char*> toolButtons[] = {{kToolSamplePoints, "Sample"},
                                                       {kToolCrop, "Crop"},
                                                       {kToolZoom, "Zoom"},
                                                       {kToolHand, "Hand"}};
    for (const auto& [id, text] : toolButtons) {
        QAction* action = AddCommand(nullptr, id, text, true);
        tools->addAction(action);
        mainToolBar_->addAction(action);
    }
    mainToolBar_->addSeparator();
    mainToolBar_->addAction(actions_[kToneZones]);
    mainToolBar_->addAction(AddCommand(nullptr, kToolbarCropMask, "Mask", true));
    mainToolBar_->addAction(AddCommand(nullptr, kToolbarGrid, "Grid", true));
    mainToolBar_->addAction(AddCommand(nullptr, kStageControl, "Stage"));
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
    position_ = (position >= 0 && position <= 3) ? position : 0;
    app_.CameraSetting().Prefs().controlPosition =
        std::string(QVCameraSetting::ControlPositionText(position_));
    LayOut();
    UpdateCommands();
}

void QVMainFrame::SetStatusBarShown(bool shown)
{
    statusBarShown_ = shown;
    statusBar()->setVisible(shown);
    UpdateMinimumSize();
}

void QVMainFrame::SetToolBarsShown(bool shown)
{
    toolBarsShown_ = shown;
    firstToolBar_->setVisible(shown);
    mainToolBar_->setVisible(shown);
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

bool QVMainFrame::CaptureRunning() const
{
    return document_->CaptureRunning();
}

bool QVMainFrame::RefusedDuringCapture(std::string_view message)
{
    if (!CaptureRunning())
        return false;
    ui_.ShowMessage(message, MessageIcon::Exclamation, MessageButtons::Ok);
    return true;
}

QAction* QVMainFrame::Action(int command) const
{
    const auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

bool QVMainFrame::Execute(int command)
{
    UpdateCommands();
    QAction* action = Action(command);
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    return true;
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
    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    auto set = [this](int id, bool enabled, std::optional<bool> checked = std::nullopt) {
        if (QAction* action = Action(id)) {
            action->setEnabled(enabled);
            if (checked)
                action->setChecked(*checked);
        }
    };
    // What other windows of the program provide is not here yet.
    for (const int id :
         {kFileManager, kPreferences, kCleanPark, kRulers, kNormalizeHistogram, kStageControl})
        set(id, false);
    // Diagnostics only for those who hold J and Q as the menu opens, and only once the
    // diagnostics window exists.
    constexpr bool kDiagnosticsWindow = false;
    set(kDiagnostics, kDiagnosticsWindow && DiagnosticsGateOpen());

    set(kAutoSavePrefs, true, prefs.autoSavePrefs);
    const int page = tabs_->currentIndex();
    set(kImageSizePage, true, page == CTabControls::kSizePage);
    set(kColorBalancePage, true, page == CTabControls::kColorPage);
    set(kToneCurvePage, true, page == CTabControls::kTonePage);
    set(kFocusPage, true, page == CTabControls::kFocusPage);

    const std::int32_t insert = app_.Size().GetInsertRotation();
    set(kInsertLeft, true, insert == InsertRotation::kFromLeft);
    set(kInsertTop, true, insert == InsertRotation::kFromTop);
    set(kInsertRight, true, insert == InsertRotation::kFromRight);
    set(kInsertBottom, true, insert == InsertRotation::kFromBottom);

    set(kToneZones, true, view_->FalseColor());
    set(kCropMask, true, view_->MaskCrop());
    set(kToolbarCropMask, true, view_->MaskCrop());
    set(kGrid, true, view_->GridShown());
    set(kToolbarGrid, true, view_->GridShown());
    const int display = view_->ColorMode();
    const int displayIds[] = {kDisplayColor, kDisplayRed,        kDisplayGreen,
                              kDisplayBlue,  kDisplayMonochrome, kDisplayLuminance};
    for (int mode = 0; mode < 6; ++mode) set(displayIds[mode], true, display == mode);
    const int captureIds[] = {kCaptureColor, kCaptureRed, kCaptureGreen, kCaptureBlue};
    for (int mode = 0; mode < 4; ++mode) set(captureIds[mode], true, prefs.cameraColorMode == mode);
    const int positionIds[] = {kControlsRight, kControlsLeft, kControlsTop, kControlsBottom};
    for (int position = 0; position < 4; ++position)
        set(positionIds[position], true, position_ == position);
    const std::pair<int, ToolKind> tools[] = {{kToolSamplePoints, ToolKind::SamplePoints},
                                              {kToolCrop, ToolKind::Crop},
                                              {kToolZoom, ToolKind::Zoom},
                                              {kToolHand, ToolKind::Hand}};
    for (const auto& [id, tool] : tools) set(id, true, view_->Tool() == tool);
    set(kControlBar, true, toolBarsShown_);
    set(kStatusBar, true, statusBarShown_);
    set(kSecondToolbarButton, true, true);
}

void QVMainFrame::RunCommand(int id)
{
    static constexpr int kRefused[] = {
        kSavePrescan,  kLoadSettings,  kImportCurve,  kPrescan,          kScan,
        kInsertLeft,   kInsertTop,     kInsertRight,  kInsertBottom,     kCaptureColor,
        kCaptureRed,   kCaptureGreen,  kCaptureBlue,  kToolSamplePoints, kToolCrop,
        kToolZoom,     kToolHand,      kStageControl, kControlsRight,    kControlsTop,
        kControlsLeft, kControlsBottom};
    if (std::find(std::begin(kRefused), std::end(kRefused), id) != std::end(kRefused) &&
        RefusedDuringCapture(kCaptureRunning)) {
        UpdateCommands();
        return;
    }

    CameraPreferences& prefs = app_.CameraSetting().Prefs();
    switch (id) {
    case kSavePrescan: SavePrescan(); break;
    case kLoadSettings: LoadSettings(); break;
    case kSaveSettings: SaveSettings(); break;
    case kSavePreferences: preferenceCommands_->SavePreferences(); break;
    case kAutoSavePrefs: prefs.autoSavePrefs = !prefs.autoSavePrefs; break;
    case kExportCurve: {
        const QString path = QFileDialog::getSaveFileName(this, "Export Curve");
        if (!path.isEmpty())
            preferenceCommands_->SaveToneCurve(path.toStdString());
        break;
    }
    case kImportCurve: {
        const QString path = QFileDialog::getOpenFileName(this, "Import Curve");
        if (!path.isEmpty())
            preferenceCommands_->LoadToneCurve(path.toStdString());
        break;
    }
    case kImageSizePage: tabs_->setCurrentIndex(CTabControls::kSizePage); break;
    case kColorBalancePage: tabs_->setCurrentIndex(CTabControls::kColorPage); break;
    case kToneCurvePage: tabs_->setCurrentIndex(CTabControls::kTonePage); break;
    case kFocusPage: tabs_->setCurrentIndex(CTabControls::kFocusPage); break;
    case kInsertLeft: SetInsert(InsertRotation::kFromLeft); break;
    case kInsertTop: SetInsert(InsertRotation::kFromTop); break;
    case kInsertRight: SetInsert(InsertRotation::kFromRight); break;
    case kInsertBottom: SetInsert(InsertRotation::kFromBottom); break;
    case kToneZones: view_->SetFalseColor(!view_->FalseColor()); break;
    case kCropMask:
    case kToolbarCropMask: view_->SetMaskCrop(!view_->MaskCrop()); break;
    case kGrid:
    case kToolbarGrid: view_->SetGridShown(!view_->GridShown()); break;
    case kDisplayColor: view_->SetColorMode(0); break;
    case kDisplayRed: view_->SetColorMode(1); break;
    case kDisplayGreen: view_->SetColorMode(2); break;
    case kDisplayBlue: view_->SetColorMode(3); break;
    case kDisplayMonochrome: view_->SetColorMode(4); break;
    case kDisplayLuminance: view_->SetColorMode(5); break;
    case kClearMeter: app_.Exposure().ClearNeutralPoints(); break;
    case kZoomIn: view_->ZoomIn(); break;
    case kZoomOut: view_->ZoomOut(); break;
    case kZoomToFit: view_->FitToWindow(); break;
    case kZoomActual: view_->ZoomActual(); break;
    case kControlsRight: SetControlPosition(0); break;
    case kControlsTop: SetControlPosition(2); break;
    case kControlsLeft: SetControlPosition(1); break;
    case kControlsBottom: SetControlPosition(3); break;
    case kClearGuides: view_->ClearGuides(); break;
    case kPrescan:
        view_->PrescanCommand(AltHeld(), [this] { return ChooseSavedPreview(this); });
        break;
    case kScan: view_->ScanCommand(); break;
    case kCaptureColor: handler_->SelectColorMode(0); break;
    case kCaptureRed: handler_->SelectColorMode(1); break;
    case kCaptureGreen: handler_->SelectColorMode(2); break;
    case kCaptureBlue: handler_->SelectColorMode(3); break;
    case kToolSamplePoints: view_->SetTool(ToolKind::SamplePoints); break;
    case kToolCrop: view_->SetTool(ToolKind::Crop); break;
    case kToolZoom: view_->SetTool(ToolKind::Zoom); break;
    case kToolHand: view_->SetTool(ToolKind::Hand); break;
    case kControlBar: SetToolBarsShown(!toolBarsShown_); break;
    case kStatusBar: SetStatusBarShown(!statusBarShown_); break;
    case kAbout: ShowAbout(); break;
    default: break;
    }
    UpdateCommands();
}

void QVMainFrame::SavePrescan()
{
    const QString path =
        QFileDialog::getSaveFileName(this, "Save Prescan", {}, "TIFF images (*.tif *.tiff)");
    if (!path.isEmpty())
        document_->Capture().SavePreview(path.toStdString());
}

void QVMainFrame::LoadSettings()
{
    const QString path = QFileDialog::getOpenFileName(this, "Load Settings");
    if (path.isEmpty() || !preferenceCommands_->OpenPreferences(path.toStdString()))
        return;
    PreferencesLoaded();
    tabs_->Initialize();
}

void QVMainFrame::SaveSettings()
{
    const QString path = QFileDialog::getSaveFileName(this, "Save Settings");
    if (!path.isEmpty())
        preferenceCommands_->SavePreferencesAs(path.toStdString());
}

void QVMainFrame::SetInsert(std::int32_t code)
{
    app_.Size().SetInsertRotation(
        code, QVSize::TurnsCrop(app_.CameraSetting().Prefs().rotateCrop, AltHeld()));
}

void QVMainFrame::OnWindowCommand(int command, const QString& text)
{
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

void QVMainFrame::ShowAbout()
{
    const QStringList parts = QStringLiteral(SCANORA_VERSION).split('.');
    auto part = [&](int i) { return i < parts.size() ? parts[i].toInt() : 0; };
    QDialog about(this);
    about.setWindowTitle("About");
    QPalette white = about.palette();
    white.setColor(QPalette::Window, Qt::white);
    about.setPalette(white);
    about.setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(&about);
    layout->addWidget(new QLabel(QApplication::applicationDisplayName(), &about));
    layout->addWidget(new QLabel(
        VersionText(part(0), part(1), part(2), part(3), QStringLiteral(__DATE__)), &about));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
    connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
    layout->addWidget(buttons);
    about.exec();
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
