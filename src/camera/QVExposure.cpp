#include "camera/QVExposure.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "camera/NeutralBalance.h"
#include "imaging/ColorCorrectingToneCurve.h"
#include "platform/UiPort.h"

namespace scanora {

namespace {

using Units = ExposureUnits;

constexpr int kLongestLinePeriod = 0xFFFF;  // the largest value the camera's fields carry

// The carriage constants of the shortest line: c / ((k f b 256) / (pitch M 500)).
constexpr std::int64_t kCarriageC = 2202;
constexpr std::int64_t kCarriageB = 3176;
constexpr std::int64_t kCarriageF = 1000;
constexpr std::int64_t kStageC = 1900;
constexpr std::int64_t kPanoramicStageC = 1700;
// Bounds that keep the products below within 64 bits whatever the stage control reports.
constexpr std::int64_t kLargestStageValue = 0xFFFFFF;
constexpr std::int64_t kLargestStepDistance = 64;

ChannelValues RecordGains(const ExposureSetting& setting)
{
    return {setting.GetNeutralRed(), setting.GetNeutralGreen(), setting.GetNeutralBlue()};
}

ChannelValues RecordFilters(const ExposureSetting& setting)
{
    return {setting.GetFilterRed(), setting.GetFilterGreen(), setting.GetFilterBlue()};
}

}  // namespace

QVExposure::QVExposure(const LineTimeLimits& limits, UiPort& ui) : limits_(limits), ui_(ui)
{
    index_ = std::min(index_, GetShortestIndex());
    stored_[0] = CurrentSetting();
    stored_[1] = CurrentSetting();
}

void QVExposure::AttachDisplays(ExposureDisplays* displays)
{
    displays_ = displays;
}

void QVExposure::AttachConditions(const CaptureConditions* conditions)
{
    conditions_ = conditions;
}

void QVExposure::SetLineTimeLimits(const LineTimeLimits& limits)
{
    limits_ = limits;
    index_ = std::clamp(index_, 0, GetShortestIndex());
    Refresh();
}

// ---------------------------------------------------------------------------------------------
// Line time

void QVExposure::SelectLineTimeTable(int number)
{
    if (!LineTimeTable::IsValidNumber(number))
        return;
    table_ = LineTimeTable(number);
    Refresh();
}

void QVExposure::SetLineTimeIndex(std::int16_t index)
{
    index_ = std::clamp(static_cast<int>(index), 0, GetShortestIndex());
    Refresh();
}

bool QVExposure::Slower()
{
    return brightnessLock_ ? MoveCompensated(index_ - 1) : MoveIndex(index_ - 1);
}

bool QVExposure::Faster()
{
    return brightnessLock_ ? MoveCompensated(index_ + 1) : MoveIndex(index_ + 1);
}

void QVExposure::Longest()
{
    if (!brightnessLock_)
        MoveIndex(LineTimeTable::kLongestIndex);
}

void QVExposure::Shortest()
{
    if (!brightnessLock_)
        MoveIndex(GetShortestIndex());
}

int QVExposure::GetShortestIndex() const
{
    if (limits_.newFirmware)
        return LineTimeTable::kShortestIndex;
    return std::clamp(limits_.maxLineTimeIndex, 0, LineTimeTable::kShortestIndex);
}

int QVExposure::GetRequestedLineTime() const
{
    return table_.Value(index_);
}

int QVExposure::GetEffectiveLineTime() const
{
    return std::max(GetRequestedLineTime(), MinLineTimeForStep(ScanSizeStep()));
}

int QVExposure::GetPrescanLineTime() const
{
    const int requested = conditions_ && conditions_->FastPrescan()
                              ? GetFastPrescanExposure().lineTime
                              : GetRequestedLineTime();
    return std::max(requested, MinLineTimeForStep(PrescanSizeStep()));
}

int QVExposure::MinLineTimeForStep(int step) const
{
    // k counts the size steps below the coarsest sampling. A step at or past the step count
    // samples nothing the camera offers (the geometry keeps steps below it); it is taken as the
    // coarsest real step (k = 1) rather than dividing by zero.
    const std::int64_t k = std::clamp<std::int64_t>(
        static_cast<std::int64_t>(limits_.maxSizeStep) - step, 1, kLargestStepDistance);
    std::int64_t c = kCarriageC;
    std::int64_t b = kCarriageB;
    std::int64_t f = kCarriageF;
    if (const auto stage = conditions_ ? conditions_->RotatingStage() : std::nullopt) {
        c = limits_.panoramic ? kPanoramicStageC : kStageC;
        b = std::clamp<std::int64_t>(stage->rate, 0, kLargestStageValue);
        f = std::clamp<std::int64_t>(stage->focalLengthTenths, 0, kLargestStageValue);
    }
    // ceiling(c / ((k f b 256) / (pitch M 500))), worked in whole numbers so that an exact
    // quotient is not pushed up by rounding.
    const std::int64_t numerator =
        c * limits_.pixelPitch * static_cast<std::int64_t>(limits_.maxSizeStep) * 500;
    const std::int64_t denominator = k * f * b * 256;
    if (denominator <= 0)  // a stage that does not move: no line is long enough
        return kLongestLinePeriod;
    if (numerator <= 0)
        return 1;
    const std::int64_t lines = (numerator + denominator - 1) / denominator;
    return static_cast<int>(std::min<std::int64_t>(lines, kLongestLinePeriod));
}

double QVExposure::GetSecondsPerLine() const
{
    return static_cast<double>(GetEffectiveLineTime()) / Units::kLineTimeUnitsPerSecond;
}

std::string_view QVExposure::GetLineTimeLabel() const
{
    return LineTimeTable::Label(index_);
}

bool QVExposure::IsLineTimeInStep() const
{
    return table_.IsInStep(GetRequestedLineTime());
}

FastPrescanExposure QVExposure::GetFastPrescanExposure() const
{
    FastPrescanExposure result;
    for (std::size_t c = 0; c < 3; ++c) result.totalTenths[c] = Units::ToTenths(Total(c));
    const int minimum = MinLineTimeForStep(PrescanSizeStep());
    int index = index_;
    const int requested = table_.Value(index);
    // The requested line as it is: where it is shorter than the carriage allows, the capture
    // runs at the minimum period and integrates for the requested time ("EE"), as a normal
    // prescan does. Only the lines tried below are raised to the minimum.
    result.lineTime = requested;

    const int last = std::min(table_.FirstIndexAtOrBelow(minimum), GetShortestIndex());
    const ChannelValues base = result.totalTenths;
    while (index < last) {
        ++index;
        const int candidate = std::max(table_.Value(index), minimum);
        const double extra = Units::CompensationTenths(requested, candidate);
        const bool fits = std::all_of(base.begin(), base.end(), [extra](double total) {
            return extra + total <= Units::kMaxTotalTenths + Units::kSlack;
        });
        if (!fits)
            break;
        result.lineTime = candidate;
        for (std::size_t c = 0; c < 3; ++c) result.totalTenths[c] = base[c] + extra;
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Gains and filters

bool QVExposure::LevelUp()
{
    if (brightnessLock_)
        return MoveCompensated(index_ + 1);
    // The step, or what is left of it below the cap: the channels move together.
    const double stops =
        std::min(Units::ToStops(levelStepTenths_), Units::kMaxTotalStops - HighestTotal());
    if (stops <= Units::kSlack)
        return false;
    ShiftGains(stops);
    Refresh();
    return true;
}

bool QVExposure::LevelDown()
{
    if (brightnessLock_)
        return MoveCompensated(index_ - 1);
    const double stops = std::min(Units::ToStops(levelStepTenths_), LowestTotal());
    if (stops <= Units::kSlack)
        return false;
    ShiftGains(-stops);
    Refresh();
    return true;
}

bool QVExposure::CanLevelUp() const
{
    double stops = 0.0;
    if (brightnessLock_)
        return CompensationFor(index_ + 1, stops);
    return Units::kMaxTotalStops - HighestTotal() > Units::kSlack;
}

bool QVExposure::CanLevelDown() const
{
    double stops = 0.0;
    if (brightnessLock_)
        return CompensationFor(index_ - 1, stops);
    return LowestTotal() > Units::kSlack;
}

bool QVExposure::BalanceToMaximum()
{
    if (brightnessLock_)
        return false;
    double top = -HUGE_VAL;
    for (std::size_t c = 0; c < 3; ++c) top = std::max(top, gains_[c] + std::max(filters_[c], 0.0));
    ShiftGains(Units::kMaxTotalStops - top);
    ClampTotals();
    Refresh();
    return true;
}

bool QVExposure::BalanceToMinimum()
{
    if (brightnessLock_)
        return false;
    double bottom = HUGE_VAL;
    for (std::size_t c = 0; c < 3; ++c)
        bottom = std::min(bottom, gains_[c] + std::min(filters_[c], 0.0));
    ShiftGains(-bottom);
    ClampTotals();
    Refresh();
    return true;
}

void QVExposure::SetGain(Channel channel, double tenths)
{
    SetClamped(gains_, filters_, channel, tenths, 0.0, Units::kMaxTotalStops);
}

void QVExposure::SetFilter(Channel channel, double tenths)
{
    SetClamped(filters_, gains_, channel, tenths, -Units::kMaxFilterStops, Units::kMaxFilterStops);
}

void QVExposure::ClearFilters()
{
    filters_.fill(0.0);
    ClampTotals();
    Refresh();
}

void QVExposure::SetLevelStep(double tenths)
{
    if (tenths != kTenthStop && tenths != kThirdStop)
        return;
    levelStepTenths_ = tenths;
    Refresh();
}

void QVExposure::SetBrightnessLock(bool locked)
{
    brightnessLock_ = locked;
    Refresh();
}

double QVExposure::GetTotalTenths(Channel channel) const
{
    return Units::ToTenths(Total(ChannelIndex(channel)));
}

double QVExposure::GetLevel() const
{
    return Total(ChannelIndex(Channel::Green));
}

std::uint16_t QVExposure::GetIsoNumber() const
{
    const long long iso = Units::RoundHalfUp(100.0 * std::exp2(GetLevel()));
    return static_cast<std::uint16_t>(std::clamp<long long>(iso, 0, 0xFFFF));
}

// ---------------------------------------------------------------------------------------------
// What the controls show

int QVExposure::GetPrescanSeconds() const
{
    const int lines = conditions_ ? conditions_->PrescanLines() : 0;
    return static_cast<int>(Units::RoundHalfUp(static_cast<double>(lines) * GetPrescanLineTime() /
                                               Units::kLineTimeUnitsPerSecond));
}

int QVExposure::GetScanSeconds() const
{
    const int lines = conditions_ ? conditions_->ScanLines() : 0;
    return static_cast<int>(Units::RoundHalfUp(static_cast<double>(lines) * GetEffectiveLineTime() /
                                               Units::kLineTimeUnitsPerSecond));
}

ExposureReadout QVExposure::Readout() const
{
    ExposureReadout readout;
    readout.lineTimeLabel = GetLineTimeLabel();
    readout.lineTimeInStep = IsLineTimeInStep();
    readout.lineTimeTable = GetLineTimeTable();
    readout.levelStops = GetLevel();
    readout.iso = GetIsoNumber();
    for (std::size_t c = 0; c < 3; ++c) {
        readout.gainTenths[c] = Units::ToTenths(gains_[c]);
        readout.filterTenths[c] = Units::ToTenths(filters_[c]);
    }
    readout.prescanSeconds = GetPrescanSeconds();
    readout.scanSeconds = GetScanSeconds();
    readout.levelUpEnabled = CanLevelUp();
    readout.levelDownEnabled = CanLevelDown();
    readout.storedExposure = selectedStored_;
    return readout;
}

void QVExposure::Refresh()
{
    ShowValues();
    if (livePreview_ && HasPrescan())
        RedrawPreview();
}

// ---------------------------------------------------------------------------------------------
// Colour balance

void QVExposure::ComputeNeutralBalance()
{
    // A preview that was not prescanned here (one loaded from a file) counts as taken with the
    // current exposure.
    const ExposureSetting reference = HasPrescan() ? prescan_ : CurrentSetting();
    NeutralBalance balance;
    const PreviewView preview = MeasuredPreview();
    for (int index = 0; index < points_.Count(); ++index) {
        if (points_.Points()[static_cast<std::size_t>(index)].usable)
            balance.AddPoint(points_.MeanAt(index, preview), RecordFilters(reference));
    }
    pending_ = NeutralBalance::Limit(balance.Corrections(RecordGains(reference), gains_), gains_,
                                     filters_);
    RefreshColourPage();
}

void QVExposure::ApplyNeutralBalance()
{
    for (std::size_t c = 0; c < 3; ++c) gains_[c] += Units::ToStops(pending_[c]);
    ClampTotals();
    balanceApplied_ = true;
    points_.SetEnabled(false);
    pending_.fill(0.0);
    Refresh();
    RefreshColourPage();
}

void QVExposure::ClearNeutralPoints()
{
    points_.Clear();
    points_.SetEnabled(true);
    pending_.fill(0.0);
    RedrawPreview();
    RefreshColourPage();
}

// ---------------------------------------------------------------------------------------------
// Live preview

void QVExposure::SetLivePreview(bool on)
{
    livePreview_ = on;
    RedrawPreview();
}

ChannelValues QVExposure::GetLiveFactors() const
{
    ChannelValues factors{1.0, 1.0, 1.0};
    if (!livePreview_ || !HasPrescan())
        return factors;
    const double ratio =
        static_cast<double>(GetRequestedLineTime()) / table_.Value(prescan_.GetLineTimeStep());
    const ChannelValues prescanGains = RecordGains(prescan_);
    const ChannelValues prescanFilters = RecordFilters(prescan_);
    for (std::size_t c = 0; c < 3; ++c) {
        const double change = Total(c) - prescanGains[c] - prescanFilters[c];
        factors[c] = Units::FactorOfTenths(Units::ToTenths(change)) * ratio;
    }
    return factors;
}

void QVExposure::ApplyLiveFactors(ColorCorrectingToneCurve& curve) const
{
    if (!livePreview_ || !HasPrescan()) {
        curve.ResetChannelGains();
        return;
    }
    const ChannelValues factors = GetLiveFactors();
    curve.SetChannelGains(factors[0], factors[1], factors[2]);
}

// ---------------------------------------------------------------------------------------------
// Prescan hooks

void QVExposure::PrescanStarted()
{
    pending_.fill(0.0);
    RedrawPreview();
}

void QVExposure::PrescanFinished()
{
    balanceApplied_ = false;
    prescan_ = CurrentSetting();
    points_.SetEnabled(true);
    MeasureAndBalance();
    ShowValues();
    RedrawPreview();
}

// ---------------------------------------------------------------------------------------------
// Colour sample points

void QVExposure::SetPreviewSource(PreviewSource source)
{
    previewSource_ = std::move(source);
}

void QVExposure::SetMeasuredPreview(const PreviewView& preview)
{
    previewSource_ = [preview] { return preview; };
}

PreviewView QVExposure::MeasuredPreview() const
{
    return previewSource_ ? previewSource_() : PreviewView{};
}

bool QVExposure::AddSamplePoint(int x, int y)
{
    if (!points_.Add(x, y, MeasuredPreview()))
        return false;
    ComputeNeutralBalance();
    return true;
}

bool QVExposure::RemoveSamplePoint(int index)
{
    if (!points_.Remove(index))
        return false;
    ComputeNeutralBalance();
    return true;
}

bool QVExposure::MoveSamplePoint(int index, int x, int y)
{
    if (!points_.Move(index, x, y, MeasuredPreview()))
        return false;
    ComputeNeutralBalance();
    return true;
}

void QVExposure::SelectSamplePoint(int index)
{
    points_.Select(index);
    RefreshColourPage();
}

void QVExposure::DropSamplePointsOutside(int width, int height)
{
    points_.DropOutside(width, height);
    MeasureAndBalance();
}

void QVExposure::SetSpotWidth(std::int16_t width)
{
    if (points_.SetSpotWidth(width))
        MeasureAndBalance();
}

SpotMean16 QVExposure::SampleMean(int index) const
{
    return points_.MeanAt(index, MeasuredPreview());
}

SpotMean8 QVExposure::SampleDisplayMean(int index, const DisplayView& display) const
{
    return points_.DisplayMeanAt(index, display);
}

// ---------------------------------------------------------------------------------------------
// Setting records

void QVExposure::Capture(ExposureSetting& setting) const
{
    setting.SetValues(gains_, filters_, index_);
}

void QVExposure::Apply(const ExposureSetting& setting)
{
    ApplyValues(setting);
    Refresh();
}

void QVExposure::SelectStoredExposure(int number)
{
    if (number != 1 && number != 2)
        return;
    stored_[static_cast<std::size_t>(selectedStored_ - 1)] = CurrentSetting();
    const ExposureSetting& chosen = stored_[static_cast<std::size_t>(number - 1)];
    ApplyValues(chosen);
    if (chosen.GetLineTimeStep() >= 0)
        index_ = std::clamp(chosen.GetLineTimeStep(), 0, GetShortestIndex());
    const bool changed = number != selectedStored_;
    selectedStored_ = number;
    Refresh();
    if (changed)
        RedrawPreview();
}

const ExposureSetting& QVExposure::StoredExposure(int number) const
{
    return stored_[number == 2 ? 1 : 0];
}

// ---------------------------------------------------------------------------------------------
// Helpers

ExposureSetting QVExposure::CurrentSetting() const
{
    ExposureSetting setting;
    Capture(setting);
    return setting;
}

int QVExposure::ScanSizeStep() const
{
    // Without a size object to ask, the coarsest step.
    return conditions_ ? conditions_->ScanSizeStep() : limits_.maxSizeStep - 1;
}

double QVExposure::HighestTotal() const
{
    return std::max({Total(0), Total(1), Total(2)});
}

double QVExposure::LowestTotal() const
{
    return std::min({Total(0), Total(1), Total(2)});
}

bool QVExposure::CompensationFor(int index, double& stops) const
{
    if (index < 0 || index > GetShortestIndex() || index == index_)
        return false;
    stops = Units::ToStops(Units::CompensationTenths(table_.Value(index_), table_.Value(index)));
    for (std::size_t c = 0; c < 3; ++c) {
        const double total = Total(c) + stops;
        if (total < -Units::kSlack || total > Units::kMaxTotalStops + Units::kSlack)
            return false;
    }
    return true;
}

void QVExposure::SetClamped(ChannelValues& values, const ChannelValues& partners, Channel channel,
                            double tenths, double low, double high)
{
    const std::size_t c = ChannelIndex(channel);
    if (c >= values.size())
        return;
    // Upper limits first, then lower ones: the value's own range, then the channel's total.
    const double partner = partners[c];
    const bool finite = std::isfinite(tenths);
    double value = finite ? Units::ToStops(tenths) : values[c];
    bool clamped = !finite;
    const auto limit = [&value, &clamped](bool beyond, double replacement) {
        if (beyond) {
            value = replacement;
            clamped = true;
        }
    };
    limit(value > high + Units::kSlack, high);
    limit(value + partner > Units::kMaxTotalStops + Units::kSlack, Units::kMaxTotalStops - partner);
    limit(value < low - Units::kSlack, low);
    limit(value + partner < -Units::kSlack, -partner);
    values[c] = value;
    Refresh();
    if (clamped)
        ui_.Beep();
}

bool QVExposure::MoveIndex(int index)
{
    const int clamped = std::clamp(index, 0, GetShortestIndex());
    if (clamped == index_)
        return false;
    index_ = clamped;
    Refresh();
    return true;
}

bool QVExposure::MoveCompensated(int index)
{
    double stops = 0.0;
    if (!CompensationFor(index, stops))
        return false;
    ShiftGains(stops);
    ClampTotals();
    index_ = index;
    Refresh();
    return true;
}

void QVExposure::ShiftGains(double stops)
{
    for (double& gain : gains_) gain += stops;
}

bool QVExposure::ClampTotals()
{
    bool moved = false;
    for (std::size_t c = 0; c < 3; ++c) {
        const double total = std::clamp(Total(c), 0.0, Units::kMaxTotalStops);
        if (total != Total(c)) {
            gains_[c] = total - filters_[c];
            moved = true;
        }
    }
    return moved;
}

void QVExposure::ApplyValues(const ExposureSetting& setting)
{
    const ChannelValues gains = RecordGains(setting);
    const ChannelValues filters = RecordFilters(setting);
    for (std::size_t c = 0; c < 3; ++c) {
        // Written so that a value that is not a number falls back as well.
        gains_[c] = gains[c] > Units::kMaxTotalStops ? Units::kMaxTotalStops
                    : gains[c] >= 0.0                ? gains[c]
                                                     : 0.0;
        const bool filterInRange =
            filters[c] >= -Units::kMaxFilterStops && filters[c] <= Units::kMaxFilterStops;
        filters_[c] = filterInRange ? filters[c] : 0.0;
    }
    // Gain and filter may each be within their limits while their sum is not; the sum is what
    // the camera receives, so the gain gives way.
    ClampTotals();
}

void QVExposure::ShowValues()
{
    if (displays_)
        displays_->ShowExposure(Readout());
}

void QVExposure::RedrawPreview()
{
    if (displays_)
        displays_->RedrawPreview();
}

void QVExposure::RefreshColourPage()
{
    if (displays_)
        displays_->RefreshColourPage();
}

void QVExposure::MeasureAndBalance()
{
    points_.Remeasure(MeasuredPreview());
    ComputeNeutralBalance();
}

}  // namespace scanora
