// The focus aid's reading: one "CLF" exchange with the in-process simulated camera at speed 0,
// the samples through the curve and the scores, as the focus loop does it each round. The
// readings per second bound how fast the numbers can follow a turned lens. Measured against
// copying a window's bytes, and the score arithmetic alone.

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "RatioReporter.h"
#include "camera/FocusDisplays.h"
#include "camera/FocusScore.h"
#include "camera/QVCamera.h"
#include "camera/QVFocus.h"
#include "camera/QVPanoControl.h"
#include "camsim/SimCamera.h"
#include "camsim/SimConfig.h"
#include "platform/SimulatorLink.h"
#include "settings/CurveSource.h"

namespace {

using namespace scanora;

class DefaultCurve final : public CurveSource {
public:
    [[nodiscard]] CurveState CurrentCurve() const override { return {}; }
};

class NoDisplays final : public FocusDisplays {
public:
    void ShowFocusReading(const FocusReading& reading) override
    {
        benchmark::DoNotOptimize(reading.scores.data());
    }
    void ClearFocusDisplay() override {}
    void ShowWindowWidth(const FocusWindowWidth&) override {}
};

// Arguments: the link (0 USB, 1 SCSI) and the reply poll interval in milliseconds (the
// program's own is 50 on USB and 100 on SCSI; 0 shows the exchange itself).
void FocusReadings(benchmark::State& state)
{
    const bool scsi = state.range(0) != 0;
    camsim::SimConfig config;
    std::string error;
    camsim::ParseSimConfig(
        std::string("speed=0,model=6,samples=off,focus=sweep:20:2,link=") + (scsi ? "scsi" : "usb"),
        config, error);
    camsim::SimCamera sim(std::move(config));
    CameraLinks links;
    links.scsi = MakeSimulatorScsiFinder(sim);
    links.usb = MakeSimulatorUsbFinder(sim);
    links.usbCommandDelay = std::chrono::microseconds(0);
    SilentUiPort ui;
    QVCamera camera(std::move(links), ui, CameraOptions{std::chrono::milliseconds(state.range(1))});
    QVPanoControl pano(camera, ui);
    DefaultCurve curve;
    NoDisplays displays;
    QVFocus focus(camera, pano, curve, displays);
    focus.SetZoom(3);
    focus.PlaceWindow(3575, 746);
    focus.StartFocus();
    for (auto _ : state) {
        if (focus.MeasureFocus() != 0)
            state.SkipWithError("a reading failed");
    }
    focus.StopFocus();
    state.counters["readings/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(FocusReadings)
    ->ArgsProduct({{0, 1}, {0}})
    ->Args({0, 50})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

std::array<std::uint8_t, FocusReading::kSampleBytes> RandomWindow()
{
    std::minstd_rand random(3);
    std::array<std::uint8_t, FocusReading::kSampleBytes> window{};
    for (std::uint8_t& value : window) value = static_cast<std::uint8_t>(random() >> 8);
    return window;
}

// Reference: copying one reading's reply bytes.
void MemcpyWindow(benchmark::State& state)
{
    const std::vector<std::uint8_t> source(2 + 2 * FocusReading::kSampleBytes, 0x5A);
    std::vector<std::uint8_t> target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(MemcpyWindow);

// The three channels' scores of one reading.
void FocusScoreUpdate(benchmark::State& state)
{
    const auto window = RandomWindow();
    FocusScore score;
    for (auto _ : state) {
        score.Update(window, {true, true, true});
        benchmark::DoNotOptimize(score.Scores().data());
    }
}
BENCHMARK(FocusScoreUpdate);

}  // namespace

int main(int argc, char** argv)
{
    return scanora::bench::RunWithRatios(
        argc, argv, {{"FocusReadings", "MemcpyWindow"}, {"FocusScoreUpdate", "MemcpyWindow"}});
}
