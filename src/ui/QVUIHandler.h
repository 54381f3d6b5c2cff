#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <string>

#include "camera/ExposureDisplays.h"
#include "platform/LinkWatch.h"
#include "settings/SettingListDisplays.h"
#include "ui/SizeDisplaysOnGui.h"

namespace scanora {
class AppContext;
class QorvaneView;
}  // namespace scanora

namespace scanora::ui {

class CameraPoll;
class CTabControls;
class ExposureDisplaysOnGui;
class GuiThread;
class MainControl;
class SettingListDisplaysOnGui;
struct CameraPollResult;

// The controller between the tools and the control panes: the panel's buttons arrive here and
// act on the tools, and the tools' changes come back here to be shown in the panel and the
// pages. It runs the camera poll and switches the capture controls off and on around captures.
// The core and the poll reach it only through its seam (GuiThread and one adapter per display
// interface), so every display call below runs on the GUI thread.
class QVUIHandler : public QObject,
                    public SizeReadoutDisplays,
                    public ExposureDisplays,
                    public SettingListDisplays {
    Q_OBJECT

public:
    QVUIHandler(AppContext& app, QorvaneView& view, MainControl& panel, CTabControls& tabs,
                std::chrono::milliseconds pollInterval, QObject* parent = nullptr);
    ~QVUIHandler() override;

    // Fills the panel from the tools and starts the camera poll.
    void Initialize();
    // Stops the camera poll (and waits for its thread).
    void StopPoll();

    // A button or check box of the panel.
    void DispatchControl(int id, bool checked);
    void SelectColorMode(int mode);
    // The output's samples as the curve and the colour mode make them (16 bits without a curve
    // or through the 16-bit curve; one channel in a single colour mode).
    void UpdateSampleFormat();
    // The two panel controls that follow the curve's end handles.
    void ShowCurveEnds();
    void DisableForCapture();
    void EnableAfterCapture();
    [[nodiscard]] bool CaptureControlsEnabled() const { return controlsEnabled_; }

    // The two time displays; a negative (prescan) or non-positive (scan) value shows the
    // exposure's estimate.
    void ShowPrescanTime(int seconds);
    void ShowScanTime(int seconds);
    // Minutes and seconds, "%2.2u:%2.2u".
    [[nodiscard]] static QString TimeText(int seconds);

    // Values shown by the panel.
    [[nodiscard]] static QString OutputSizeText(double width, double height, double resolution,
                                                bool pixels);
    [[nodiscard]] static QString FileSizeText(std::uint64_t bytes);
    [[nodiscard]] static QString UnitCaption(std::int32_t units);
    [[nodiscard]] static QString ResolutionUnitText(std::int32_t units);

    // SizeReadoutDisplays
    void ShowOutputSize(const SizeReadout& size) override;
    void Refresh(const SizeReadout& size) override;
    void EnableControls(const SizeControlStates& states) override;
    void ShowInsertRotation(std::int32_t code) override;
    // SizeReadoutDisplays and ExposureDisplays
    void RedrawPreview() override;
    // ExposureDisplays
    void ShowExposure(const ExposureReadout& readout) override;
    void RefreshColourPage() override;
    // SettingListDisplays
    void AddName(SettingKind kind, std::string_view name) override;
    void SelectPosition(SettingKind kind, std::size_t position) override;
    void RemoveAll(SettingKind kind) override;
    void ShowDeleteAllowed(SettingKind kind, bool allowed) override;

Q_SIGNALS:
    // One round of the camera poll was shown.
    void pollShown();

private:
    void ShowPollResult(const CameraPollResult& result);
    void ShowIso();
    [[nodiscard]] bool CaptureRunning() const;
    [[nodiscard]] bool ScanAllowed() const;

    AppContext& app_;
    QorvaneView& view_;
    MainControl& panel_;
    CTabControls& tabs_;
    const std::chrono::milliseconds pollInterval_;
    std::unique_ptr<GuiThread> gui_;
    std::unique_ptr<SizeDisplaysOnGui> sizeDisplays_;
    std::unique_ptr<ExposureDisplaysOnGui> exposureDisplays_;
    std::unique_ptr<SettingListDisplaysOnGui> listDisplays_;
    std::unique_ptr<CameraPoll> poll_;
    // Plugging and unplugging, where the link reports them: each has the poll look at once.
    // Declared after the poll, so that it goes first.
    std::unique_ptr<LinkWatch> linkWatch_;
    std::string shownModel_;  // the model name the panel shows, for the log of its changes
    bool controlsEnabled_ = true;
    long long lastDiskFree_ = -1;
    std::uint16_t isoStep_ = 100;
};

}  // namespace scanora::ui
