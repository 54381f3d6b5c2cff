#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "camera/CaptureConditions.h"
#include "camera/ColorSamplePoints.h"
#include "camera/ExposureDisplays.h"
#include "camera/ExposureUnits.h"
#include "camera/LineTimeLimits.h"
#include "camera/LineTimeTable.h"
#include "camera/RgbImageView.h"
#include "settings/ExposurePreferences.h"
#include "settings/ExposureSetting.h"

namespace scanora {

class ColorCorrectingToneCurve;
class UiPort;

// The line time and channel totals a fast prescan runs at.
struct FastPrescanExposure {
    int lineTime = 0;             // 1/3000 s
    ChannelValues totalTenths{};  // gain + filter of each channel, tenths of a decibel
};

// The exposure the next capture uses: the line time (an index into a table of 24), the gain and
// the filter offset of each colour channel, and the rules that keep them within what the camera
// can do. It works out the shortest line the carriage motor can follow, the fast prescan, the
// colour balance from the neutral points picked on the preview, and the factors with which the
// preview shows an exposure change before the next capture. One instance serves the whole
// program; all its operations run on the user-interface thread. The preferences reach it
// through ExposurePreferences.
class QVExposure final : public ExposurePreferences {
public:
    static constexpr int kInitialIndex = 6;  // 1/30 s

    QVExposure(const LineTimeLimits& limits, UiPort& ui);
    QVExposure(const QVExposure&) = delete;
    QVExposure& operator=(const QVExposure&) = delete;

    // The controls to refresh after each change, and where the capture's size step, line counts
    // and stage come from (null: none). Both borrowed until replaced.
    void AttachDisplays(ExposureDisplays* displays);
    void AttachConditions(const CaptureConditions* conditions);
    // Another camera model; the line-time index is kept within its shortest.
    void SetLineTimeLimits(const LineTimeLimits& limits);

    // --- Line time ---

    // Switches to table 0 ("Exact"), 1 ("60Hz") or 2 ("50Hz"), keeping the index; any other
    // number is ignored.
    void SelectLineTimeTable(int number) override;
    [[nodiscard]] int GetLineTimeTable() const override { return table_.Number(); }
    // The index, clamped to 0..GetShortestIndex().
    void SetLineTimeIndex(std::int16_t index) override;
    [[nodiscard]] std::int16_t GetLineTimeIndex() const override
    {
        return static_cast<std::int16_t>(index_);
    }
    // One step longer / shorter; with the brightness lock only when the gains can make up for
    // it. True when the exposure changed.
    bool Slower();
    bool Faster();
    // The longest / shortest usable line time; ignored while the brightness lock is on.
    void Longest();
    void Shortest();
    // 23 with the new firmware, otherwise the model's limit.
    [[nodiscard]] int GetShortestIndex() const;

    // The table value at the index (1/3000 s).
    [[nodiscard]] int GetRequestedLineTime() const;
    // The line period of a scan: the requested value, but at least what the carriage allows at
    // the scan's size step.
    [[nodiscard]] int GetEffectiveLineTime() const;
    // The same for a prescan, whose line is checked against the camera's minimum size step;
    // while prescans are fast, the fast prescan's line in place of the requested one.
    [[nodiscard]] int GetPrescanLineTime() const;
    // The shortest line (1/3000 s) the carriage motor (or the rotating stage) can follow at a
    // size step.
    [[nodiscard]] int MinLineTimeForStep(int step) const;
    [[nodiscard]] double GetSecondsPerLine() const;
    [[nodiscard]] std::string_view GetLineTimeLabel() const;
    [[nodiscard]] bool IsLineTimeInStep() const;

    // The shortest line time a prescan can reach with at most 13.0 dB total gain per channel.
    [[nodiscard]] FastPrescanExposure GetFastPrescanExposure() const;

    // --- Gains and filters ---

    // Raises / lowers every channel by the level step (with the brightness lock: a shorter /
    // longer line time with gains that keep the brightness). True when the exposure changed.
    bool LevelUp();
    bool LevelDown();
    [[nodiscard]] bool CanLevelUp() const;
    [[nodiscard]] bool CanLevelDown() const;
    // Shifts all gains together until the highest total reaches 13.0 dB / the lowest reaches 0.
    // Nothing while the brightness lock is on.
    bool BalanceToMaximum();
    bool BalanceToMinimum();
    // Set from tenths of a decibel, clamped into the limits; a clamped value beeps.
    void SetGain(Channel channel, double tenths);
    void SetFilter(Channel channel, double tenths);
    // Filters to 0, gains kept within 0..13.0 dB.
    void ClearFilters();
    // kTenthStop (3) or kThirdStop (10) tenths of a decibel; anything else is not taken.
    void SetLevelStep(double tenths) override;
    [[nodiscard]] double GetLevelStep() const { return levelStepTenths_; }
    void SetBrightnessLock(bool locked);
    [[nodiscard]] bool IsBrightnessLocked() const { return brightnessLock_; }

    [[nodiscard]] double GetGain(Channel channel) const { return gains_[ChannelIndex(channel)]; }
    [[nodiscard]] double GetFilter(Channel channel) const
    {
        return filters_[ChannelIndex(channel)];
    }
    [[nodiscard]] const ChannelValues& GetGains() const { return gains_; }
    [[nodiscard]] const ChannelValues& GetFilters() const { return filters_; }
    // Gain + filter, in tenths of a decibel (what the camera's gain codes are made from).
    [[nodiscard]] double GetTotalTenths(Channel channel) const;
    // The level (stops) and the ISO number shown for it: the green channel's total gain.
    [[nodiscard]] double GetLevel() const;
    [[nodiscard]] std::uint16_t GetIsoNumber() const;

    // --- What the controls show ---

    [[nodiscard]] int GetPrescanSeconds() const;
    [[nodiscard]] int GetScanSeconds() const;
    [[nodiscard]] ExposureReadout Readout() const;
    // Shows the values again (after a change elsewhere: size, fast prescan, stage).
    void Refresh();
    void RefreshDependentValues() override { Refresh(); }

    // --- Colour balance from neutral points ---

    // The corrections that make the usable sample points neutral, kept pending.
    void ComputeNeutralBalance();
    // Adds the pending corrections to the gains; the sample points take no new point until the
    // meter is cleared.
    void ApplyNeutralBalance();
    // The Clear Meter command: no points, the set enabled again, no pending corrections.
    void ClearNeutralPoints();
    [[nodiscard]] const ChannelValues& GetPendingCorrections() const { return pending_; }
    [[nodiscard]] bool IsBalanceApplied() const { return balanceApplied_; }

    // --- Live preview ---

    void SetLivePreview(bool on);
    [[nodiscard]] bool IsLivePreview() const { return livePreview_; }
    // Per channel, how much brighter the next capture comes out than the prescan shown; all 1.0
    // unless the live preview is on and a prescan was taken.
    [[nodiscard]] ChannelValues GetLiveFactors() const;
    // Gives the factors to the preview's tone curve, or resets its gains when there are none.
    void ApplyLiveFactors(ColorCorrectingToneCurve& curve) const;

    // --- Prescan hooks ---

    void PrescanStarted();
    // Records the exposure the prescan was taken with, measures the points anew and computes the
    // balance.
    void PrescanFinished();
    [[nodiscard]] const ExposureSetting& PrescanExposure() const { return prescan_; }

    // --- Colour sample points ---

    // Where the points are measured: asked for the current preview (normal or super) at every
    // measurement, so that a preview made anew or turned is never read through an old view.
    // An empty source measures nothing.
    using PreviewSource = std::function<PreviewView()>;
    void SetPreviewSource(PreviewSource source);
    // A fixed preview, borrowed until replaced.
    void SetMeasuredPreview(const PreviewView& preview);
    [[nodiscard]] const ColorSamplePoints& SamplePoints() const { return points_; }
    bool AddSamplePoint(int x, int y);
    bool RemoveSamplePoint(int index);
    bool MoveSamplePoint(int index, int x, int y);
    void SelectSamplePoint(int index);
    // Drops the points outside a preview of this size and measures the others anew.
    void DropSamplePointsOutside(int width, int height);
    // 1, 3 or 5; any other width is not taken.
    void SetSpotWidth(std::int16_t width) override;
    [[nodiscard]] std::int16_t GetSpotWidth() const override
    {
        return static_cast<std::int16_t>(points_.SpotWidth());
    }
    [[nodiscard]] SpotMean16 SampleMean(int index) const;
    [[nodiscard]] SpotMean8 SampleDisplayMean(int index, const DisplayView& display) const;

    // --- Setting records ---

    // Copies the exposure into a record (level, gains, filters, line time); the record's name
    // and changeable flag stay as they are.
    void Capture(ExposureSetting& setting) const;
    // Takes a record's gains and filters (its ev and line time are not applied): a gain above
    // the limit is reduced to it, one below 0 set to 0; a filter outside its limits becomes 0.
    void Apply(const ExposureSetting& setting);
    // Keeps the current exposure in the stored record of the current selection, then loads
    // stored record 1 or 2 (gains, filters and its line time).
    void SelectStoredExposure(int number);
    [[nodiscard]] int SelectedStoredExposure() const { return selectedStored_; }
    [[nodiscard]] const ExposureSetting& StoredExposure(int number) const;

private:
    [[nodiscard]] ExposureSetting CurrentSetting() const;
    [[nodiscard]] bool HasPrescan() const { return prescan_.GetLineTimeStep() >= 0; }
    // A prescan's line is checked against the minimum for the camera's minimum size step, as
    // its line period and electronic exposure are.
    [[nodiscard]] int PrescanSizeStep() const { return limits_.minSizeStep; }
    [[nodiscard]] int ScanSizeStep() const;
    [[nodiscard]] double Total(std::size_t c) const { return gains_[c] + filters_[c]; }
    [[nodiscard]] double HighestTotal() const;
    [[nodiscard]] double LowestTotal() const;
    // The gain change (stops) that keeps the brightness for a move to `index`, when every
    // channel stays within its limits with it.
    [[nodiscard]] bool CompensationFor(int index, double& stops) const;
    // Sets a gain (or filter) from tenths of a decibel within low..high stops, with its partner
    // filter (or gain) keeping the total within 0..13.0 dB; beeps when a limit applied.
    void SetClamped(ChannelValues& values, const ChannelValues& partners, Channel channel,
                    double tenths, double low, double high);
    bool MoveIndex(int index);
    bool MoveCompensated(int index);
    void ShiftGains(double stops);
    // Holds every channel's total within 0..13.0 dB by its gain; true when one moved.
    bool ClampTotals();
    void ApplyValues(const ExposureSetting& setting);
    void ShowValues();
    void RedrawPreview();
    void RefreshColourPage();
    void MeasureAndBalance();

    LineTimeLimits limits_;
    UiPort& ui_;
    ExposureDisplays* displays_ = nullptr;
    const CaptureConditions* conditions_ = nullptr;

    LineTimeTable table_{LineTimeTable::k60Hz};
    int index_ = kInitialIndex;  // always within 0..GetShortestIndex()
    ChannelValues gains_{1.0, 1.0, 1.0};
    ChannelValues filters_{};
    double levelStepTenths_ = kTenthStop;
    bool brightnessLock_ = false;
    bool livePreview_ = false;

    [[nodiscard]] PreviewView MeasuredPreview() const;

    ColorSamplePoints points_;
    PreviewSource previewSource_;
    ChannelValues pending_{};
    bool balanceApplied_ = false;

    ExposureSetting prescan_;
    std::array<ExposureSetting, 2> stored_;
    int selectedStored_ = 1;
};

}  // namespace scanora
