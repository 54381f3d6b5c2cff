#include "ui/MainMenus.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QUrl>

#include <filesystem>

#include "camera/QVExposure.h"
#include "context/AppContext.h"
#include "imaging/ZoomLevels.h"
#include "output/ScanNaming.h"
#include "platform/BusyMessages.h"
#include "platform/Logger.h"
#include "platform/UserFolders.h"
#include "settings/CameraPreferences.h"
#include "settings/InsertRotation.h"
#include "settings/PreferenceCommands.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "ui/CTabControls.h"
#include "ui/CleanParkDlg.h"
#include "ui/CommandTable.h"
#include "ui/FileDialogs.h"
#include "ui/FileManagerHost.h"
#include "ui/MainControl.h"
#include "ui/PPFocus.h"
#include "ui/PreviewDocument.h"
#include "ui/QVHistogram.h"
#include "ui/QVMainFrame.h"
#include "ui/QVPrefsWindow.h"
#include "ui/QVUIHandler.h"
#include "ui/QorvaneView.h"
#include "ui/QtUiPort.h"

namespace scanora::ui {

namespace {

using Refusal = CommandTable::DuringCapture;
using State = CommandTable::State;
constexpr Refusal kRefused = Refusal::Refused;

// The side of the window the control panes are on, as the preferences number it.
enum class PanelSide : int { Right = 0, Left = 1, Top = 2, Bottom = 3 };
// What the preview shows of the image.
enum class DisplayMode : int {
    Color = 0,
    Red = 1,
    Green = 2,
    Blue = 3,
    Monochrome = 4,
    Luminance = 5
};
// What the camera captures.
enum class CaptureMode : std::int16_t {
    Color = CameraPreferences::kColor,
    Red = CameraPreferences::kRed,
    Green = CameraPreferences::kGreen,
    Blue = CameraPreferences::kBlue,
};
// The side the insert is put in from.
enum class InsertSide : std::int32_t {
    Left = InsertRotation::kFromLeft,
    Top = InsertRotation::kFromTop,
    Right = InsertRotation::kFromRight,
    Bottom = InsertRotation::kFromBottom,
};

bool AltHeld()
{
    return QApplication::queryKeyboardModifiers() & Qt::AltModifier;
}

// An enabled command with its check mark.
State Checked(bool on)
{
    return {true, on};
}

}  // namespace

MainMenus::MainMenus(QVMainFrame& frame, AppContext& app, QtUiPort& ui)
    : QObject(&frame),
      frame_(frame),
      app_(app),
      ui_(ui),
      commands_(new CommandTable(this, [this] { return RefusedDuringCapture(); })),
      preferenceCommands_(std::make_unique<PreferenceCommands>(
          app_.Preferences(), app_.Lists(), app_.Tools(), ui_, [this] { return CaptureRunning(); },
          app_.PreferencesPath()))
{
}

MainMenus::~MainMenus() = default;

void MainMenus::Build()
{
    QMenuBar* bar = frame_.menuBar();
    BuildFileMenu(bar->addMenu("&File"));
    BuildCameraMenu(bar->addMenu("&Camera"));
    BuildViewMenu(bar->addMenu("&View"));
    BuildHelpMenu(bar->addMenu("&Help"));
    for (QMenu* menu : bar->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, [this] { frame_.UpdateCommands(); });
    BuildToolBars();
}

void MainMenus::BuildFileMenu(QMenu* file)
{
    CameraPreferences& prefs = app_.CameraSetting().Prefs();
    commands_->Add(file, QVMainFrame::kSavePrescan, "Save Prescan...")
        .Runs([this] { SavePrescan(); })
        .Shows([this] {
            return State{HasPreview(), std::nullopt};
        })
        .RefusedDuringCapture();
    file->addSeparator();
    commands_->Add(file, QVMainFrame::kLoadSettings, "Load Settings...")
        .Runs([this] { LoadSettings(); })
        .RefusedDuringCapture();
    commands_->Add(file, QVMainFrame::kSaveSettings, "Save Settings...").Runs([this] {
        SaveSettings();
    });
    commands_->Add(file, QVMainFrame::kSavePreferences, "Save Preferences").Runs([this] {
        preferenceCommands_->SavePreferences();
    });
    commands_->Add(file, QVMainFrame::kAutoSavePrefs, "Auto Save Preferences")
        .Runs([&prefs] { prefs.autoSavePrefs = !prefs.autoSavePrefs; })
        .Shows([&prefs] { return Checked(prefs.autoSavePrefs); })
        .Checkable();
    file->addSeparator();
    commands_->Add(file, QVMainFrame::kExportCurve, "Export Curve...").Runs([this] {
        ExportCurve();
    });
    commands_->Add(file, QVMainFrame::kImportCurve, "Import Curve...")
        .Runs([this] { ImportCurve(); })
        .RefusedDuringCapture();
    file->addSeparator();
    fileManager_ = new FileManagerHost(frame_, app_, ui_);
    commands_->Add(file, QVMainFrame::kFileManager, "File Manager")
        .Keys({QKeySequence(Qt::CTRL | Qt::Key_M)})
        .Runs([this] { fileManager_->Open(); });
    file->addSeparator();
    QAction* exit = file->addAction("Exit");
    connect(exit, &QAction::triggered, &frame_, &QWidget::close);
}

void MainMenus::BuildCameraMenu(QMenu* camera)
{
    QorvaneView& view = frame_.View();
    // Prescan and Scan need a camera; during a capture they stay on and say why they do nothing.
    commands_->Add(camera, QVMainFrame::kPrescan, "Prescan")
        .Runs([this, &view] {
            view.PrescanCommand(AltHeld(),
                                [this] { return FileDialogs::SavedPreviewToLoad(&frame_); });
        })
        .Shows([this] {
            return State{CaptureMayStart(), std::nullopt};
        })
        .Keys({QKeySequence(Qt::CTRL | Qt::Key_P)})
        .RefusedDuringCapture();
    commands_->Add(camera, QVMainFrame::kScan, "Scan")
        .Runs([&view] { view.ScanCommand(); })
        .Shows([this] {
            return State{CaptureMayStart() && app_.Size().ScanAllowed(), std::nullopt};
        })
        .Keys({QKeySequence(Qt::CTRL | Qt::Key_R)})
        .RefusedDuringCapture();
    commands_->Add(camera, QVMainFrame::kAbort, "Abort")
        .Runs([&view] { view.AbortKey(); })
        .Shows([this] {
            return State{CaptureRunning(), std::nullopt};
        })
        .Keys({QKeySequence(Qt::Key_Escape)});
    camera->addSeparator();
    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    commands_->AddChoice<CaptureMode>(
        camera->addMenu("Capture Mode"),
        {{QVMainFrame::kCaptureColor, "Color", CaptureMode::Color},
         {QVMainFrame::kCaptureRed, "Red", CaptureMode::Red},
         {QVMainFrame::kCaptureGreen, "Green", CaptureMode::Green},
         {QVMainFrame::kCaptureBlue, "Blue", CaptureMode::Blue}},
        [this](CaptureMode mode) { frame_.Handler().SelectColorMode(static_cast<int>(mode)); },
        [&prefs] { return static_cast<CaptureMode>(prefs.cameraColorMode); }, kRefused);
    commands_->AddChoice<InsertSide>(
        camera->addMenu("Insert"),
        {{QVMainFrame::kInsertLeft, "Insert Left", InsertSide::Left},
         {QVMainFrame::kInsertTop, "Insert Top", InsertSide::Top},
         {QVMainFrame::kInsertRight, "Insert Right", InsertSide::Right},
         {QVMainFrame::kInsertBottom, "Insert Bottom", InsertSide::Bottom}},
        [this](InsertSide side) { SetInsert(static_cast<std::int32_t>(side)); },
        [this] { return static_cast<InsertSide>(app_.Size().GetInsertRotation()); }, kRefused);
    camera->addSeparator();
    commands_->Add(camera, QVMainFrame::kClearMeter, "Clear Meter").Runs([this] {
        app_.Exposure().ClearNeutralPoints();
    });
    // Cleaning needs a camera that says which it is and has a carriage (not the panoramic one),
    // and the carriage to itself: not while the focus aid holds it.
    commands_->Add(camera, QVMainFrame::kCleanPark, "Clean/Park")
        .Runs([this] {
            if (CaptureRunning()) {
                ui_.ShowMessage(QVMainFrame::kScanningRunning, MessageIcon::Exclamation,
                                MessageButtons::Ok);
                return;
            }
            CleanParkDlg dialog(app_.Camera(), &frame_);
            dialog.exec();
        })
        .Shows([this] {
            const QVCamera& camera = app_.Camera();
            return State{camera.IsConnected() && camera.GetModelCode() != 0 &&
                             !camera.IsOrbiscan() && !frame_.Tabs().FocusPage().IsFocusing(),
                         std::nullopt};
        });
    // Diagnostics only for those who hold J and Q as the menu opens.
    commands_->Add(camera, QVMainFrame::kDiagnostics, "Diagnostics")
        .Runs([this] { frame_.OpenDiagnostics(); })
        .Shows([this] {
            return State{frame_.DiagnosticsGateOpen(), std::nullopt};
        });
    camera->addSeparator();
    commands_->Add(camera, QVMainFrame::kPreferences, "Preferences ...")
        .Keys({QKeySequence(Qt::CTRL | Qt::Key_Comma)})
        .Runs([this] {
            QVPrefsWindow dialog(
                app_,
                [this](const PreviewAppearance& shown) { frame_.View().SetAppearance(shown); },
                PrefsChoosers::Standard(), &frame_);
            dialog.exec();
        })
        .RefusedDuringCapture();
}

void MainMenus::BuildViewMenu(QMenu* view)
{
    QorvaneView& image = frame_.View();
    CTabControls& tabs = frame_.Tabs();
    commands_->Add(view, QVMainFrame::kControlBar, "Control bar")
        .Runs([this] { frame_.SetToolBarsShown(!frame_.ToolBarsShown()); })
        .Shows([this] { return Checked(frame_.ToolBarsShown()); })
        .Checkable();
    commands_->Add(view, QVMainFrame::kStatusBar, "Status bar")
        .Runs([this] { frame_.SetStatusBarShown(!frame_.StatusBarShown()); })
        .Shows([this] { return Checked(frame_.StatusBarShown()); })
        .Checkable();
    view->addSeparator();
    commands_->AddChoice<CTabControls::Page>(
        view,
        {{QVMainFrame::kImageSizePage, "Image Size", CTabControls::kSizePage},
         {QVMainFrame::kColorBalancePage, "Color Balance", CTabControls::kColorPage},
         {QVMainFrame::kToneCurvePage, "Tone Curve", CTabControls::kTonePage},
         {QVMainFrame::kFocusPage, "Focus", CTabControls::kFocusPage}},
        [&tabs](CTabControls::Page page) { tabs.setCurrentIndex(page); },
        [&tabs] { return static_cast<CTabControls::Page>(tabs.currentIndex()); });
    view->addSeparator();
    commands_->Add(view, QVMainFrame::kToneZones, "Tone Zones")
        .Runs([&image] { image.SetFalseColor(!image.FalseColor()); })
        .Shows([&image] { return Checked(image.FalseColor()); })
        .Checkable();
    commands_->Add(view, QVMainFrame::kCropMask, "Crop Mask")
        .Runs([&image] { image.SetMaskCrop(!image.MaskCrop()); })
        .Shows([&image] { return Checked(image.MaskCrop()); })
        .Checkable();
    commands_->Add(view, QVMainFrame::kGrid, "Grid")
        .Runs([&image] { image.SetGridShown(!image.GridShown()); })
        .Shows([&image] { return Checked(image.GridShown()); })
        .Checkable();
    commands_->Add(view, QVMainFrame::kRulers, "Rulers")
        .Runs([&image] { image.SetGuidesShown(!image.GuidesShown()); })
        .Shows([&image] { return Checked(image.GuidesShown()); })
        .Checkable();
    commands_->Add(view, QVMainFrame::kClearGuides, "Clear Guides").Runs([&image] {
        image.ClearGuides();
    });
    commands_->AddChoice<DisplayMode>(
        view->addMenu("Display Mode"),
        {{QVMainFrame::kDisplayColor, "Color", DisplayMode::Color},
         {QVMainFrame::kDisplayRed, "Red", DisplayMode::Red},
         {QVMainFrame::kDisplayGreen, "Green", DisplayMode::Green},
         {QVMainFrame::kDisplayBlue, "Blue", DisplayMode::Blue},
         {QVMainFrame::kDisplayMonochrome, "Monochrome", DisplayMode::Monochrome},
         {QVMainFrame::kDisplayLuminance, "Luminance", DisplayMode::Luminance}},
        [&image](DisplayMode mode) { image.SetColorMode(static_cast<int>(mode)); },
        [&image] { return static_cast<DisplayMode>(image.ColorMode()); });
    view->addSeparator();
    // Zooming needs a preview to zoom, and a further step in that direction.
    commands_->Add(view, QVMainFrame::kZoomIn, "Zoom In")
        .Runs([&image] { image.ZoomIn(); })
        .Shows([this, &image] {
            return State{HasPreview() && ZoomLevels::In(image.Zoom()).has_value(), std::nullopt};
        })
        .Keys({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    commands_->Add(view, QVMainFrame::kZoomOut, "Zoom Out")
        .Runs([&image] { image.ZoomOut(); })
        .Shows([this, &image] {
            return State{HasPreview() && ZoomLevels::Out(image.Zoom()).has_value(), std::nullopt};
        })
        .Keys({QKeySequence::ZoomOut});
    commands_->Add(view, QVMainFrame::kZoomToFit, "Zoom to Fit")
        .Runs([&image] { image.FitToWindow(); })
        .Shows([this] {
            return State{HasPreview(), std::nullopt};
        })
        .Keys({QKeySequence(Qt::CTRL | Qt::Key_0)});
    commands_->Add(view, QVMainFrame::kZoomActual, "Zoom to 100%")
        .Runs([&image] { image.ZoomActual(); })
        .Shows([this] {
            return State{HasPreview(), std::nullopt};
        })
        .Keys({QKeySequence(Qt::CTRL | Qt::Key_1)});
    commands_->Add(view, QVMainFrame::kNormalizeHistogram, "Normalize Histogram").Runs([this] {
        frame_.Histogram().ResetZoom();
    });
    view->addSeparator();
    commands_->AddChoice<PanelSide>(
        view,
        {{QVMainFrame::kControlsRight, "Controls on Right", PanelSide::Right},
         {QVMainFrame::kControlsTop, "Controls on Top", PanelSide::Top},
         {QVMainFrame::kControlsLeft, "Controls on Left", PanelSide::Left},
         {QVMainFrame::kControlsBottom, "Controls on Bottom", PanelSide::Bottom}},
        [this](PanelSide side) { frame_.SetControlPosition(static_cast<int>(side)); },
        [this] { return static_cast<PanelSide>(frame_.ControlPosition()); }, kRefused);
}

void MainMenus::BuildHelpMenu(QMenu* help)
{
    commands_->Add(help, QVMainFrame::kShowLogFolder, "Show Log Folder").Runs([this] {
        ShowLogFolder();
    });
    commands_->Add(help, QVMainFrame::kAbout, "About").Runs([this] { ShowAbout(); });
}

void MainMenus::BuildToolBars()
{
    firstToolBar_ = frame_.addToolBar("Controls");
    firstToolBar_->setObjectName("toolbar178");
    firstToolBar_->addAction(commands_->Add(nullptr, QVMainFrame::kSecondToolbarButton, "Scanora")
                                 .Shows([] { return Checked(true); })
                                 .Checkable()
                                 .Action());

    mainToolBar_ = frame_.addToolBar("Tools");
    mainToolBar_->setObjectName("toolbar128");
    QActionGroup* tools = commands_->AddChoice<ToolKind>(
        nullptr,
        {{QVMainFrame::kToolSamplePoints, "Sample", ToolKind::SamplePoints},
         {QVMainFrame::kToolCrop, "Crop", ToolKind::Crop},
         {QVMainFrame::kToolZoom, "Zoom", ToolKind::Zoom},
         {QVMainFrame::kToolHand, "Hand", ToolKind::Hand},
         {QVMainFrame::kToolMarker, "Marker", ToolKind::Marker}},
        [this](ToolKind tool) { SelectTool(tool); }, [this] { return CurrentTool(); }, kRefused);
    mainToolBar_->addActions(tools->actions());
    mainToolBar_->addSeparator();
    QorvaneView& image = frame_.View();
    mainToolBar_->addAction(commands_->Action(QVMainFrame::kToneZones));
    mainToolBar_->addAction(commands_->Add(nullptr, QVMainFrame::kToolbarCropMask, "Mask")
                                .Runs([&image] { image.SetMaskCrop(!image.MaskCrop()); })
                                .Shows([&image] { return Checked(image.MaskCrop()); })
                                .Checkable()
                                .Action());
    mainToolBar_->addAction(commands_->Add(nullptr, QVMainFrame::kToolbarGrid, "Grid")
                                .Runs([&image] { image.SetGridShown(!image.GridShown()); })
                                .Shows([&image] { return Checked(image.GridShown()); })
                                .Checkable()
                                .Action());
    mainToolBar_->addAction(
        commands_->Add(nullptr, QVMainFrame::kStageControl, "Stage")
            .Runs([this] { frame_.Tabs().setCurrentIndex(CTabControls::kPanoPage); })
            .RefusedDuringCapture()
            .Action());
}

QAction* MainMenus::Action(int command) const
{
    return commands_->Action(command);
}

bool MainMenus::Execute(int command)
{
    return commands_->Execute(command);
}

void MainMenus::Update()
{
    commands_->Update();
}

bool MainMenus::CaptureMayStart() const
{
    return frame_.Panel().CameraPresent() && !fileManager_->HoldsCaptureControls();
}

bool MainMenus::HasPreview() const
{
    // Once a prescan has filled the preview, or a saved one was loaded, it stays there.
    PreviewDocument& document = frame_.Document();
    previewTaken_ =
        previewTaken_ || document.Capture().LastPrescanSucceeded() || document.PreviewLoaded();
    return previewTaken_ && frame_.View().ShowsImage();
}

bool MainMenus::CaptureRunning() const
{
    return frame_.Document().CaptureRunning();
}

bool MainMenus::RefusedDuringCapture()
{
    if (!CaptureRunning())
        return false;
    ui_.ShowMessage(kCaptureRunningMessage, MessageIcon::Exclamation, MessageButtons::Ok);
    return true;
}

void MainMenus::SelectTool(ToolKind tool)
{
    frame_.View().SetTool(tool);
}

ToolKind MainMenus::CurrentTool() const
{
    return frame_.View().Tool();
}

void MainMenus::SavePrescan()
{
    // The proposed name is the scan name with "_pre".
    const std::string base = ScanNaming::PrescanBaseName(app_.CameraSetting().Prefs().scanName);
    if (const auto path = FileDialogs::PrescanToSave(&frame_, QString::fromStdString(base)))
        frame_.Document().Capture().SavePreview(*path);
}

void MainMenus::LoadSettings()
{
    const auto path = FileDialogs::SettingsToLoad(&frame_);
    if (!path || !preferenceCommands_->OpenPreferences(*path))
        return;
    frame_.PreferencesLoaded();
    frame_.Tabs().Initialize();
}

void MainMenus::SaveSettings()
{
    if (const auto path = FileDialogs::SettingsToSave(&frame_))
        preferenceCommands_->SavePreferencesAs(*path);
}

void MainMenus::ExportCurve()
{
    if (const auto path = FileDialogs::CurveToExport(&frame_))
        preferenceCommands_->SaveToneCurve(*path);
}

void MainMenus::ImportCurve()
{
    if (const auto path = FileDialogs::CurveToImport(&frame_))
        preferenceCommands_->LoadToneCurve(*path);
}

void MainMenus::SetInsert(std::int32_t code)
{
    app_.Size().SetInsertRotation(
        code, QVSize::TurnsCrop(app_.CameraSetting().Prefs().rotateCrop, AltHeld()));
}

void MainMenus::SetFolderOpener(std::function<void(const QString&)> opener)
{
    folderOpener_ = std::move(opener);
}

void MainMenus::ShowLogFolder()
{
    const std::filesystem::path folder = Logger::Folder(UserFolders());
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const QString path = QString::fromStdString(folder.string());
    if (folderOpener_)
        folderOpener_(path);
    else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        ui_.ShowMessage("The log folder could not be opened: " + folder.string(),
                        MessageIcon::Exclamation, MessageButtons::Ok);
}

void MainMenus::ShowAbout()
{
    const QStringList parts = QStringLiteral(SCANORA_VERSION).split('.');
    auto part = [&](int i) { return i < parts.size() ? parts[i].toInt() : 0; };
    QDialog about(&frame_);
    about.setWindowTitle("About");
    QPalette white = about.palette();
    white.setColor(QPalette::Window, Qt::white);
    about.setPalette(white);
    about.setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(&about);
    layout->addWidget(new QLabel(QApplication::applicationDisplayName(), &about));
    layout->addWidget(new QLabel(
        QVMainFrame::VersionText(part(0), part(1), part(2), part(3), QStringLiteral(__DATE__)),
        &about));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
    // The service key: Shift held as OK is pressed opens the diagnostics dialog.
    bool service = false;
    connect(buttons, &QDialogButtonBox::accepted, &about, [&about, &service] {
        service = QApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
        about.accept();
    });
    layout->addWidget(buttons);
    if (about.exec() == QDialog::Accepted && service)
        ui_.PostCommand(WindowCommand::OpenDiagnostics, {});
}

}  // namespace scanora::ui
