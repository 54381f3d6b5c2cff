// The tone curve's hot paths: rebuilding the raw table after a curve change, and converting a
// whole preview frame of 16-bit samples to display bytes through it.

#include "RatioReporter.h"
#include "imaging/ColorCorrectingToneCurve.h"
#include "imaging/QVToneCurve.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

using scanora::ColorCorrectingToneCurve;
using scanora::QVToneCurve;

// A preview-sized frame: 2048 x 1024 pixels of red, green and blue samples.
constexpr std::size_t kFrameSamples = std::size_t{2048} * 1024 * 3;

std::vector<std::uint16_t> RandomFrame()
{
    std::mt19937 random(42);
    std::uniform_int_distribution<int> sample(0, 65535);
    std::vector<std::uint16_t> frame(kFrameSamples);
    for (std::uint16_t& value : frame) value = static_cast<std::uint16_t>(sample(random));
    return frame;
}

// Reference: copying the table's 65536 words.
void MemcpyTable(benchmark::State& state)
{
    const std::vector<std::uint16_t> source(QVToneCurve::kRawTableSize, 1);
    std::vector<std::uint16_t> target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size() * sizeof(std::uint16_t));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(MemcpyTable);

// Arguments: raw bits, words (1) or bytes (0).
void BuildRawTable(benchmark::State& state)
{
    QVToneCurve curve;
    curve.SetRawBits(static_cast<int>(state.range(0)));
    curve.SetSixteenBit(state.range(1) != 0);
    for (auto _ : state) {
        curve.BuildRawTable();
        benchmark::DoNotOptimize(curve.RawTable().data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BuildRawTable)->ArgsProduct({{14, 16}, {0, 1}});

// Reference: copying the frame's 16-bit samples.
void MemcpyFrame(benchmark::State& state)
{
    const std::vector<std::uint16_t> frame = RandomFrame();
    std::vector<std::uint16_t> target(frame.size());
    for (auto _ : state) {
        std::memcpy(target.data(), frame.data(), frame.size() * sizeof(std::uint16_t));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(frame.size() * sizeof(std::uint16_t)));
}
BENCHMARK(MemcpyFrame);

// Argument: gains on (1) or off (0).
void MapFrame(benchmark::State& state)
{
    ColorCorrectingToneCurve curve;
    curve.SetRawBits(16);
    curve.BuildRawTable();
    if (state.range(0) != 0)
        curve.SetChannelGains(1.3, 1.0, 0.8);
    const std::vector<std::uint16_t> frame = RandomFrame();
    std::vector<std::uint8_t> display(frame.size());
    for (auto _ : state) {
        curve.MapPixels(frame, display);
        benchmark::DoNotOptimize(display.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(frame.size() * sizeof(std::uint16_t)));
}
BENCHMARK(MapFrame)->Arg(0)->Arg(1);

}  // namespace

int main(int argc, char** argv)
{
    return scanora::bench::RunWithRatios(
        argc, argv, {{"BuildRawTable", "MemcpyTable"}, {"MapFrame", "MemcpyFrame"}});
}
