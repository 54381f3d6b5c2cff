#include "ui/QVUIHandler.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>

#include <utility>

#include "camera/QVExposure.h"
#include "camera/QVPanoControl.h"
#include "context/AppContext.h"
#include "imaging/QVCurveEditor.h"
#include "settings/QVCameraSetting.h"
#include "settings/QVSize.h"
#include "settings/SettingLists.h"
#include "settings/SizeUnits.h"
#include "ui/CTabControls.h"
#include "ui/CameraPoll.h"
#include "ui/ExposureDisplaysOnGui.h"
#include "ui/FileDialogs.h"
#include "ui/FuelGauge.h"
#include "ui/GuiThread.h"
#include "ui/MainControl.h"
#include "ui/PPColor.h"
#include "ui/PPSize.h"
#include "ui/PPTone.h"
#include "ui/QVNotesWindow.h"
#include "ui/QVPropertyPage.h"
#include "ui/QorvaneView.h"
#include "ui/SettingListDisplaysOnGui.h"

namespace scanora::ui {

namespace {

bool AltHeld()
{
    return QApplication::queryKeyboardModifiers() & Qt::AltModifier;
}

}  // namespace

QVUIHandler::QVUIHandler(AppContext& app, QorvaneView& view, MainControl& panel, CTabControls& tabs,
                         std::chrono::milliseconds pollInterval, QObject* parent)
    : QObject(parent),
      app_(app),
      view_(view),
      panel_(panel),
      tabs_(tabs),
      pollInterval_(pollInterval),
      gui_(std::make_unique<GuiThread>()),
      sizeDisplays_(std::make_unique<SizeDisplaysOnGui>(*gui_, *this)),
      exposureDisplays_(std::make_unique<ExposureDisplaysOnGui>(*gui_, *this)),
      listDisplays_(std::make_unique<SettingListDisplaysOnGui>(*gui_, *this))
{
    connect(&panel_, &MainControl::controlActivated, this, &QVUIHandler::DispatchControl);
    connect(&panel_, &MainControl::colorModeSelected, this, &QVUIHandler::SelectColorMode);
    connect(&panel_, &MainControl::scanNameEdited, this, [this](const QString& name) {
        app_.CameraSetting().Prefs().scanName = name.toStdString();
    });
    connect(&panel_, &MainControl::abortKeyPressed, &view_, &QorvaneView::AbortKey);
    connect(&tabs_.ColorPage(), &PPColor::displayProfileChanged, &view_,
            &QorvaneView::RefreshDisplay);
    // A finished change of the curve converts the preview again; the graph follows the preview.
    PPTone& tone = tabs_.TonePage();
    connect(&tone, &PPTone::curveChanged, this, [this] {
        view_.RefreshDisplay();
        UpdateSampleFormat();
    });
    connect(&tone, &PPTone::curveEndsChanged, this, &QVUIHandler::ShowCurveEnds);
    connect(&tone, &PPTone::sampleFormatChanged, this, &QVUIHandler::UpdateSampleFormat);
    connect(&view_, &QorvaneView::previewChanged, &tone,
            [this, &tone] { tone.ShowPreviewHistogram(view_.Document().RawHistogram()); });
    connect(&view_, &QorvaneView::superViewChanged, this,
            [this](bool shown) { panel_.SetChecked(MainControl::kView, shown); });
    connect(&view_, &QorvaneView::captureControlsEnabled, this, [this](bool enabled) {
        if (enabled)
            EnableAfterCapture();
        else
            DisableForCapture();
    });
}

QVUIHandler::~QVUIHandler()
{
    // Nothing more is shown; a worker that waits for the GUI thread goes on.
    app_.Pano().SetRedraw({});
    app_.Pano().SetViewStateChanged({});
    gui_->Close();
    StopPoll();
    app_.Size().AttachDisplays(nullptr);
    app_.Exposure().AttachDisplays(nullptr);
    app_.Lists().AttachDisplays(nullptr);
}

void QVUIHandler::Initialize()
{
    SCANORA_ASSERT_GUI_THREAD();
    app_.Size().AttachDisplays(sizeDisplays_.get());
    app_.Exposure().AttachDisplays(exposureDisplays_.get());
    app_.Lists().AttachDisplays(listDisplays_.get());
    tabs_.Initialize();

    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    for (int id = MainControl::kFirstUpDown;
         id < MainControl::kFirstUpDown + MainControl::kUpDownCount; ++id)
        panel_.SetUpDownEnabled(id, true);
    ShowCurveEnds();
    UpdateSampleFormat();
    panel_.SetCameraPresent(CameraPoll::Present(app_.Camera()));
    panel_.ColorModeBox()->setCurrentIndex(std::clamp<int>(prefs.cameraColorMode, 0, 3));
    // With automatic suffixes the name field shows the name of the last suffix used.
    panel_.SetText(
        MainControl::kScanName,
        QString::fromStdString(prefs.useAutoSuffixes ? app_.CameraSetting().CurrentAutoFileName()
                                                     : prefs.scanName));
    panel_.SetChecked(MainControl::kFastPrescan, prefs.fastPrescan);
    panel_.SetChecked(MainControl::kCropPrescan, app_.Size().IsCropPrescan());
    panel_.SetChecked(MainControl::kSuper, view_.SuperPrescan());
    panel_.SetChecked(MainControl::kView, view_.Image().ShowingSuper());
    panel_.SetLockIcon(MainControl::kLock, app_.Exposure().IsBrightnessLocked());
    ShowOutputSize(SizeReadout::Of(app_.Size()));
    Refresh(SizeReadout::Of(app_.Size()));
    EnableControls(app_.Size().ControlStates());
    ShowExposure(app_.Exposure().Readout());
    ShowPrescanTime(-1);
    ShowScanTime(0);

    // The poll reports on its own thread; a copy of the result is shown on the GUI thread.
    linkWatch_.reset();  // it nudges the poll that is about to be replaced
    poll_ = std::make_unique<CameraPoll>(
        app_.Camera(), [this] { return CaptureRunning(); },
        [this](const CameraPollResult& result) {
            gui_->Run([this, result] { ShowPollResult(result); });
        });
    // The stage's motor waits keep the preview drawn, and the end of a rotation gives the view
    // back its cursor; both come from whichever thread turns the stage.
    app_.Pano().SetRedraw([this] { gui_->Run([this] { view_.Redraw(); }); });
    app_.Pano().SetViewStateChanged([this] { gui_->Run([this] { view_.RestoreViewState(); }); });
    // A camera that comes back gets the stage's motor parameters again, as at start-up.
    poll_->SetReconnected([this] { app_.Pano().StartUp(app_.Pano().CurrentStageValues()); });
    poll_->Start(static_cast<int>(pollInterval_.count()));
    linkWatch_ = app_.Camera().WatchLink([poll = poll_.get()](const LinkEvent&) { poll->Nudge(); });
}

void QVUIHandler::StopPoll()
{
    linkWatch_.reset();
    if (poll_)
        poll_->StopAndWait();
}

bool QVUIHandler::CaptureRunning() const
{
    const CaptureState state = view_.Document().Capture().State();
    return state == CaptureState::Prescan || state == CaptureState::Scan;
}

bool QVUIHandler::ScanAllowed() const
{
    return app_.Size().ScanAllowed();
}

void QVUIHandler::ShowPollResult(const CameraPollResult& result)
{
    SCANORA_ASSERT_GUI_THREAD();
    panel_.SetText(MainControl::kModelName, QString::fromStdString(result.modelName));
    if (result.modelName != shownModel_) {
        shownModel_ = result.modelName;
        app_.Ui().Log(LogLevel::Info, LogCategory::Ui,
                      "the panel shows the camera: " + shownModel_);
    }
    panel_.SetCameraIcon(static_cast<int>(result.icon));
    const bool present = result.icon != CameraPollResult::Icon::NoCamera;
    panel_.SetCameraPresent(present);
    if (!present)
        lastDiskFree_ = -1;  // a camera that comes back shows its disk again
    if (present && result.statusRead) {
        panel_.Gauge()->SetPosition(result.voltageHundredths);
        if (static_cast<long long>(result.diskFreeMB) != lastDiskFree_) {
            lastDiskFree_ = result.diskFreeMB;
            panel_.SetText(MainControl::kDiskFree,
                           QStringLiteral("%1 MB free").arg(result.diskFreeMB));
        }
    }
    Q_EMIT pollShown();
}

void QVUIHandler::DispatchControl(int id, bool checked)
{
    SCANORA_ASSERT_GUI_THREAD();
    QVSize& size = app_.Size();
    QVExposure& exposure = app_.Exposure();
    const bool alt = AltHeld();
    switch (id) {
    case MainControl::kFastPrescan:
        app_.CameraSetting().Prefs().fastPrescan = checked;
        exposure.Refresh();
        break;
    case MainControl::kPrescan:
        view_.PrescanCommand(alt,
                             [this] { return FileDialogs::SavedPreviewToLoad(view_.window()); });
        break;
    case MainControl::kScan: view_.ScanCommand(); break;
    case MainControl::kNotes:
        QVNotesWindow::EditNextCapture(view_.window(), view_.Document().Capture());
        break;
    case MainControl::kCropPrescan:
        size.SetCropPrescan(checked);
        ShowPrescanTime(-1);
        ShowScanTime(0);
        break;
    case MainControl::kSuper: view_.SetSuperPrescan(checked); break;
    case MainControl::kView: view_.ShowSuperPreview(checked); break;
    case MainControl::kLock:
        exposure.SetBrightnessLock(checked);
        panel_.SetLockIcon(MainControl::kLock, exposure.IsBrightnessLocked());
        break;
    case MainControl::kScanAreaUp: alt ? size.FullField() : size.ZoomOut(); break;
    case MainControl::kScanAreaDown: size.ZoomIn(); break;
    case MainControl::kResolutionUp:
        if (alt)
            size.SetLowestResolution();
        else
            size.SetResolutionNumber(size.GetResolutionNumber() - 1);
        break;
    case MainControl::kResolutionDown:
        if (alt)
            size.SetHighestResolution();
        else
            size.SetResolutionNumber(size.GetResolutionNumber() + 1);
        break;
    case MainControl::kLineTimeUp: alt ? exposure.Longest() : void(exposure.Slower()); break;
    case MainControl::kLineTimeDown: alt ? exposure.Shortest() : void(exposure.Faster()); break;
    case MainControl::kIsoUp:
        alt ? void(exposure.BalanceToMaximum()) : void(exposure.LevelUp());
        break;
    case MainControl::kIsoDown:
        alt ? void(exposure.BalanceToMinimum()) : void(exposure.LevelDown());
        break;
    default: break;
    }
}

void QVUIHandler::SelectColorMode(int mode)
{
    SCANORA_ASSERT_GUI_THREAD();
    mode = std::clamp(mode, 0, 3);
    CameraPreferences& prefs = app_.CameraSetting().Prefs();
    prefs.cameraColorMode = static_cast<std::int16_t>(mode);
    panel_.ColorModeBox()->setCurrentIndex(mode);
    view_.SetColorMode(mode);
    view_.RefreshDisplay();
    UpdateSampleFormat();
}

void QVUIHandler::UpdateSampleFormat()
{
    SCANORA_ASSERT_GUI_THREAD();
    const CameraPreferences& prefs = app_.CameraSetting().Prefs();
    app_.Size().SetSampleFormat({prefs.use16BitCurve || app_.Tools().IsNone14Mode(),
                                 prefs.cameraColorMode != CameraPreferences::kColor});
}

void QVUIHandler::ShowCurveEnds()
{
    SCANORA_ASSERT_GUI_THREAD();
    // The line time steps along the same axis as the curve, in stops of exposure: the longer
    // line time is offered while the curve's black end is above the graph's left edge, the
    // shorter one while its white end is below the right edge.
    const QVCurveEditor& editor = app_.CurveEditor();
    panel_.SetUpDownEnabled(MainControl::kLineTimeUp, editor.FirstHandleAboveZero());
    panel_.SetUpDownEnabled(MainControl::kLineTimeDown, editor.LastHandleBelowTop());
    if (controlsEnabled_)
        panel_.SetCaptureControlsEnabled(true, ScanAllowed());
}

void QVUIHandler::DisableForCapture()
{
    SCANORA_ASSERT_GUI_THREAD();
    controlsEnabled_ = false;
    if (poll_)
        poll_->Suspend();
    panel_.SetCaptureControlsEnabled(false, false);
    tabs_.SetCapturePagesEnabled(false);
}

void QVUIHandler::EnableAfterCapture()
{
    SCANORA_ASSERT_GUI_THREAD();
    // A capture's end comes here twice (when its thread lets go and after the finishing
    // pause); only the first time has the controls to give back.
    const bool wasEnabled = std::exchange(controlsEnabled_, true);
    panel_.SetCaptureControlsEnabled(true, ScanAllowed());
    tabs_.SetCapturePagesEnabled(true);
    if (poll_ && !wasEnabled) {
        // The camera is looked at again at once: a capture that failed because the camera went
        // away shows "No Camera" now, and a scan's new free space shows without waiting. The
        // nudge comes first, so the iteration the resume starts answers it.
        poll_->Nudge();
        poll_->Resume();
    }
}

QString QVUIHandler::TimeText(int seconds)
{
    const unsigned total = static_cast<unsigned>(std::max(seconds, 0));
    return QString::asprintf("%2.2u:%2.2u", total / 60, total % 60);
}

void QVUIHandler::ShowPrescanTime(int seconds)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (seconds < 0)
        seconds = app_.Exposure().GetPrescanSeconds();
    panel_.SetText(MainControl::kPrescanTime, TimeText(seconds));
}

void QVUIHandler::ShowScanTime(int seconds)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (seconds <= 0)
        seconds = app_.Exposure().GetScanSeconds();
    panel_.SetText(MainControl::kScanTime, TimeText(seconds));
}

QString QVUIHandler::OutputSizeText(double width, double height, double resolution, bool pixels)
{
    if (pixels)
        return QString::asprintf("%5.0f x %5.0f", width, height);
    return QString::asprintf("%5.2f x %5.2f at %5.1f", width, height, resolution);
}

QString QVUIHandler::FileSizeText(std::uint64_t bytes)
{
    constexpr double kMB = 1048576.0;
    if (static_cast<double>(bytes) < kMB)
        return QString::asprintf("%3.1lf Kb", static_cast<double>(bytes) / 1024.0);
    return QString::asprintf("%3.1lf Mb", static_cast<double>(bytes) / kMB);
}

QString QVUIHandler::UnitCaption(std::int32_t units)
{
    switch (units) {
    case SizeUnits::kInches: return "Inches";
    case SizeUnits::kFeet: return "Feet";
    case SizeUnits::kMillimeters: return "Millimeters";
    case SizeUnits::kCentimeters: return "Centimeters";
    case SizeUnits::kMeters: return "Meters";
    default: return "Image Size";
    }
}

QString QVUIHandler::ResolutionUnitText(std::int32_t units)
{
    switch (units) {
    case SizeUnits::kFeet: return "pixels per ft";
    case SizeUnits::kMillimeters: return "pixels per mm";
    case SizeUnits::kCentimeters: return "pixels per cm";
    case SizeUnits::kMeters: return "pixels per m";
    default: return "pixels per inch";
    }
}

void QVUIHandler::ShowOutputSize(const SizeReadout& size)
{
    SCANORA_ASSERT_GUI_THREAD();
    const bool pixels = size.units == SizeUnits::kPixels;
    panel_.SetText(MainControl::kSizeCaption, UnitCaption(size.units));
    panel_.SetText(MainControl::kOutputSize,
                   OutputSizeText(size.outputWidth, size.outputHeight, size.resolution, pixels));
    panel_.SetText(MainControl::kResolutionUnit, ResolutionUnitText(size.resolutionUnits));
    panel_.Label(MainControl::kResolutionUnit)->setVisible(!pixels);
    tabs_.SizePage().ShowOutputSize(size);
}

void QVUIHandler::Refresh(const SizeReadout& size)
{
    SCANORA_ASSERT_GUI_THREAD();
    panel_.SetText(MainControl::kFileSize, FileSizeText(size.fileSizeBytes));
    const double area = size.cropWidthPercent * size.cropHeightPercent / 100.0;
    panel_.SetText(MainControl::kScanArea, QString::asprintf("%3.0f", area) + "%");
    panel_.SetText(MainControl::kResolution,
                   QString::asprintf("%3.0f", size.resolutionPercent) + "%");
    panel_.SetLockIcon(MainControl::kSizeLock, size.fileSizeLocked);
    panel_.SetChecked(MainControl::kCropPrescan, size.cropPrescan);
    tabs_.SizePage().Refresh(size);
    ShowPrescanTime(-1);
    ShowScanTime(0);
}

void QVUIHandler::EnableControls(const SizeControlStates& states)
{
    SCANORA_ASSERT_GUI_THREAD();
    panel_.SetUpDownEnabled(MainControl::kScanAreaUp, states.zoomOut);
    panel_.SetUpDownEnabled(MainControl::kScanAreaDown, states.zoomIn);
    panel_.SetUpDownEnabled(MainControl::kResolutionUp, states.lowestResolution);
    panel_.SetUpDownEnabled(MainControl::kResolutionDown, states.highestResolution);
    if (controlsEnabled_)
        panel_.SetCaptureControlsEnabled(true, states.scan);
}

void QVUIHandler::ShowInsertRotation(std::int32_t code)
{
    SCANORA_ASSERT_GUI_THREAD();
    tabs_.SizePage().ShowInsertRotation(code);
    view_.RefreshDisplay();
}

void QVUIHandler::RedrawPreview()
{
    SCANORA_ASSERT_GUI_THREAD();
    view_.SyncCropFromSize();
    view_.viewport()->update();
}

void QVUIHandler::ShowExposure(const ExposureReadout& readout)
{
    SCANORA_ASSERT_GUI_THREAD();
    panel_.SetText(MainControl::kLineTime,
                   QString::fromUtf8(readout.lineTimeLabel.data(),
                                     static_cast<qsizetype>(readout.lineTimeLabel.size())));
    panel_.SetLineTimeInStep(readout.lineTimeInStep, readout.lineTimeTable);
    isoStep_ = readout.iso;
    ShowIso();
    panel_.SetUpDownEnabled(MainControl::kIsoUp, readout.levelUpEnabled);
    panel_.SetUpDownEnabled(MainControl::kIsoDown, readout.levelDownEnabled);
    if (controlsEnabled_)
        panel_.SetCaptureControlsEnabled(true, ScanAllowed());
    panel_.SetText(MainControl::kPrescanTime, TimeText(readout.prescanSeconds));
    panel_.SetText(MainControl::kScanTime, TimeText(readout.scanSeconds));
    tabs_.ColorPage().ShowExposure(readout);
}

void QVUIHandler::ShowIso()
{
    const double baseline = app_.CameraSetting().Prefs().baselineISO;
    panel_.SetText(MainControl::kIso, QString::asprintf("%3.0f", baseline * isoStep_ / 100.0));
}

void QVUIHandler::RefreshColourPage()
{
    SCANORA_ASSERT_GUI_THREAD();
    tabs_.ColorPage().RefreshReadouts();
    tabs_.TonePage().RefreshSampleMarks();
}

void QVUIHandler::AddName(SettingKind kind, std::string_view name)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (QVPropertyPage* page = tabs_.PageFor(kind))
        page->AddName(name);
}

void QVUIHandler::SelectPosition(SettingKind kind, std::size_t position)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (QVPropertyPage* page = tabs_.PageFor(kind))
        page->SelectPosition(position);
}

void QVUIHandler::RemoveAll(SettingKind kind)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (QVPropertyPage* page = tabs_.PageFor(kind))
        page->RemoveAll();
}

void QVUIHandler::ShowDeleteAllowed(SettingKind kind, bool allowed)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (QVPropertyPage* page = tabs_.PageFor(kind))
        page->ShowDeleteAllowed(allowed);
}

}  // namespace scanora::ui
