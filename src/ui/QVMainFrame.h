#pragma once

#include <QMainWindow>
#include <QString>

#include <chrono>
#include <memory>

#include "acquire/CaptureSequence.h"

class QAction;
class QLabel;
class QScrollArea;

namespace scanora {
class AppContext;
class PreferenceCommands;
class PreviewDocument;
class QorvaneView;
class QVHistogram;
}  // namespace scanora

namespace scanora::ui {

class CFitButton;
class CTabControls;
class HeldKeys;
class MainControl;
class MainMenus;
class MainWindowPreferences;
class QtUiPort;
class QVUIHandler;

// The program's main window: the image view in the middle, the control panel, the tab pages and
// the histogram beside it on the side the user chose, two toolbars, a status bar with two panes,
// the application's menu commands (MainMenus) and the window commands the worker threads post.
class QVMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // The application's commands, by the numbers the program has always given them. Each is one
    // action with its handler in MainMenus.
    enum Command : int {
        kFileManager = 32770,
        kImageSizePage = 32771,
        kColorBalancePage = 32772,
        kToneCurvePage = 32773,
        kPreferences = 32774,
        kSavePrescan = 32775,
        kLoadSettings = 32776,
        kSaveSettings = 32777,
        kAutoSavePrefs = 32778,
        kInsertLeft = 32779,
        kInsertTop = 32780,
        kInsertRight = 32781,
        kInsertBottom = 32782,
        kToneZones = 32783,
        kCropMask = 32784,
        kGrid = 32785,
        kDisplayColor = 32786,
        kDisplayRed = 32787,
        kDisplayGreen = 32788,
        kDisplayBlue = 32789,
        kPrescan = 32790,
        kScan = 32791,
        kFocusPage = 32792,
        kCaptureColor = 32793,
        kCaptureRed = 32794,
        kCaptureGreen = 32795,
        kCaptureBlue = 32796,
        kCleanPark = 32797,
        kDiagnostics = 32798,
        kToolSamplePoints = 32800,
        kToolCrop = 32801,
        kToolZoom = 32802,
        kToolHand = 32803,
        kToolbarCropMask = 32805,
        kToolbarGrid = 32806,
        kControlBar = 32808,
        kStatusBar = 32809,
        kSecondToolbarButton = 32815,
        kSavePreferences = 32818,
        kExportCurve = 32819,
        kImportCurve = 32820,
        kClearMeter = 32825,
        kZoomIn = 32826,
        kZoomOut = 32827,
        kNormalizeHistogram = 32829,
        kDisplayMonochrome = 32830,
        kDisplayLuminance = 32840,
        kStageControl = 32841,
        kControlsRight = 32843,
        kControlsTop = 32844,
        kControlsLeft = 32845,
        kControlsBottom = 32846,
        kRulers = 32849,
        kClearGuides = 32852,
        kZoomToFit = 32855,
        kZoomActual = 32857,
        kAbout = 57664,
        // Our own: the abort key as a menu command, the point marker among the tools, and the
        // log's folder in the file manager.
        kAbort = 57900,
        kToolMarker = 57901,
        kShowLogFolder = 57902,
    };

    static constexpr std::string_view kScanningRunning = "Scanning in Progress";
    // The panes' usual width; a font that needs more widens them.
    static constexpr int kPanelWidth = 330;

    struct Options {
        std::chrono::milliseconds pollInterval{4000};
        CaptureTiming timing;
        bool savedPosition = true;
    };

    QVMainFrame(AppContext& app, QtUiPort& ui, const Options& options, QWidget* parent = nullptr);
    ~QVMainFrame() override;

    // After the preferences were read: the panel position, colour mode and scan name follow them.
    void PreferencesLoaded();
    // Starts the camera poll and the view; the window is shown.
    void Start();

    // Runs a command as the menu would (false when it is unknown or disabled).
    bool Execute(int command);
    [[nodiscard]] QAction* Action(int command) const;
    [[nodiscard]] MainMenus& Menus() const { return *menus_; }
    // Enables and checks every command for the state the program is in.
    void UpdateCommands();

    // 0 right, 1 left, 2 top, 3 bottom.
    void SetControlPosition(int position);
    [[nodiscard]] int ControlPosition() const { return position_; }
    void SetStatusBarShown(bool shown);
    [[nodiscard]] bool StatusBarShown() const { return statusBarShown_; }
    void SetToolBarsShown(bool shown);
    [[nodiscard]] bool ToolBarsShown() const { return toolBarsShown_; }

    // The window command handler (36866 ... 36873).
    void OnWindowCommand(int command, const QString& text);

    [[nodiscard]] static QString VersionText(int major, int minor, int release, int build,
                                             const QString& date);

    [[nodiscard]] QorvaneView& View() { return *view_; }
    [[nodiscard]] PreviewDocument& Document() { return *document_; }
    [[nodiscard]] MainControl& Panel() { return *panel_; }
    [[nodiscard]] CTabControls& Tabs() { return *tabs_; }
    [[nodiscard]] QVHistogram& Histogram() { return *histogram_; }
    // The scrolling area that holds the three control panes.
    [[nodiscard]] QScrollArea& ControlPanes() { return *sideScroll_; }
    // The width of the control panes beside the image.
    [[nodiscard]] int PaneWidth() const;
    // J and Q both held down: the diagnostics command may be offered.
    [[nodiscard]] bool DiagnosticsGateOpen() const;
    // The diagnostics dialog (the menu command and window command 36873); refused with
    // "Scanning in Progress" during a prescan.
    void OpenDiagnostics();
    [[nodiscard]] QVUIHandler& Handler() { return *handler_; }
    [[nodiscard]] QLabel& StatusPane(int pane) const { return pane == 0 ? *pane0_ : *pane1_; }

Q_SIGNALS:
    // The user closed the window: the program is about to end.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildStatusBar();
    void LayOut();
    void UpdateMinimumSize();
    void RestoreWindowPosition();
    void SaveWindowPosition() const;

    AppContext& app_;
    QtUiPort& ui_;
    const Options options_;
    int position_ = 0;
    bool statusBarShown_ = true;
    bool toolBarsShown_ = true;

    // The preview and its capture; it goes before the view it reports to.
    std::unique_ptr<PreviewDocument> document_;
    // Children, owned by their Qt parents.
    QorvaneView* view_ = nullptr;
    QVHistogram* histogram_ = nullptr;
    HeldKeys* diagnosticsKeys_ = nullptr;
    MainControl* panel_ = nullptr;
    CTabControls* tabs_ = nullptr;
    QVUIHandler* handler_ = nullptr;
    QScrollArea* sideScroll_ = nullptr;  // holds side_, the control panes
    QWidget* side_ = nullptr;
    MainMenus* menus_ = nullptr;
    QLabel* pane0_ = nullptr;
    QLabel* pane1_ = nullptr;
    CFitButton* fitButton_ = nullptr;
    // What the preferences show in the windows; goes before the panes it shows them in.
    std::unique_ptr<MainWindowPreferences> preferences_;
};

}  // namespace scanora::ui
