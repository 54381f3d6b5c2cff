// The prescan's hot path: realigning the colour rows of each group of four camera lines (with
// the byte swap) and placing them into the preview in the insert's orientation, measured against
// memcpy of the same bytes. The geometry is a 6000-pixel model's prescan at the default size
// steps: 750 pixels * 1000 lines, colour offset d = 1.

#include "acquire/LargeAllocation.h"
#include "acquire/LinePlacement.h"
#include "acquire/PrescanAssembly.h"
#include "acquire/PreviewImage.h"
#include "imaging/LineRealignment.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using scanora::LineLayout;
using scanora::PlaceLines;
using scanora::PreviewImage;
using scanora::RealignLines;
using scanora::SampleType;

constexpr int kPixels = 750;
constexpr int kLines = 1000;
constexpr int kOffset = 1;
// Other work on a shared machine only ever slows a run down: many short repetitions of a few
// passes each, of which the closing line keeps the best.
constexpr int kRepetitions = 200;
constexpr int kPasses = 1;
constexpr std::size_t kLineBytes = kPixels * PreviewImage::kBytesPerPixel;
// The bytes the camera sends for the whole prescan: T = 6P * (L + 2d).
constexpr std::size_t kTotalBytes = kLineBytes * (kLines + 2 * kOffset);

const std::size_t kScratchBytes = scanora::PrescanAssembly::ScratchBytes(kPixels, kLines, kOffset);

// A buffer allocated as the program allocates its preview and scratch buffers.
std::span<std::uint8_t> Bytes(const scanora::LargeArray<std::uint8_t>& buffer, std::size_t size)
{
    return {buffer.get(), size};
}

// Every repetition starts from fresh buffers, as every prescan does; a cheap generator keeps
// the set-up of the many repetitions short.
scanora::LargeArray<std::uint8_t> CameraLines()
{
    std::minstd_rand random(7);
    auto lines = scanora::TryAllocateLarge<std::uint8_t>(kScratchBytes, kScratchBytes);
    for (std::uint8_t& value : Bytes(lines, kScratchBytes))
        value = static_cast<std::uint8_t>(random() >> 8);
    return lines;
}

// Reference: copying the prescan's bytes once.
void MemcpyPrescan(benchmark::State& state)
{
    const auto lines = CameraLines();
    const std::vector<std::uint8_t> source(lines.get(), lines.get() + kScratchBytes);
    std::vector<std::uint8_t> target(source.size());
    const auto pass = [&] {
        std::memcpy(target.data(), source.data(), kTotalBytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    };
    pass();  // fresh buffers: the first pass meets their pages
    for (auto _ : state) pass();
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kTotalBytes));
}
BENCHMARK(MemcpyPrescan)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(kPasses)
    ->Repetitions(kRepetitions);

// Argument: the insertion code. Every group of four lines is realigned in place in the read
// buffer and placed into the image, as the prescan assembly does it (From Top reads straight
// into the image: no placement copy).
void Prescan(benchmark::State& state)
{
    const int code = static_cast<int>(state.range(0));
    const auto lineBuffer = CameraLines();
    const std::span<std::uint8_t> lines = Bytes(lineBuffer, kScratchBytes);
    const auto imageBuffer =
        scanora::TryAllocateLarge<std::uint8_t>(kLineBytes * kLines, kLineBytes * kLines);
    const std::span<std::uint8_t> image = Bytes(imageBuffer, kLineBytes * kLines);
    const LineLayout layout{kPixels, kLines};
    const auto pass = [&] {
        for (int line = 0; line < kLines; line += 4) {
            const std::size_t at = static_cast<std::size_t>(line) * kLineBytes;
            RealignLines(std::span(lines).subspan(at, (4 + 2 * kOffset) * kLineBytes), 4 * kPixels,
                         SampleType::kColour16, 3 * kOffset * kPixels);
            if (code == 2)
                continue;
            PlaceLines(line, 4, lines, image, layout, code);
        }
        benchmark::DoNotOptimize(lines.data());
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
    };
    pass();
    for (auto _ : state) pass();
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kTotalBytes));
}
BENCHMARK(Prescan)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Arg(4)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(kPasses)
    ->Repetitions(kRepetitions);

// Prints the aggregates of each benchmark and keeps the CPU time of every repetition: the
// closing lines compare the best (and the median) against memcpy's, which stays meaningful on a
// machine shared with other work.
class PrescanReporter : public benchmark::ConsoleReporter {
public:
    struct Ratio {
        double best = 0;
        double median = 0;
    };

    void ReportRuns(const std::vector<Run>& runs) override
    {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate)
                shown.push_back(run);
            else if (!run.error_occurred)
                seconds_[Name(run)].push_back(run.GetAdjustedCPUTime());
        }
        if (!shown.empty())
            ConsoleReporter::ReportRuns(shown);
    }

    // Each insertion against memcpy, by insertion code; empty when the reference is missing.
    [[nodiscard]] std::map<std::string, Ratio> Ratios() const
    {
        std::map<std::string, Ratio> ratios;
        const auto reference = seconds_.find("MemcpyPrescan");
        if (reference == seconds_.end())
            return ratios;
        const Ratio memcpy = Summary(reference->second);
        if (memcpy.best <= 0 || memcpy.median <= 0)
            return ratios;
        for (const auto& [name, seconds] : seconds_) {
            if (name.rfind("Prescan/", 0) != 0)
                continue;
            const Ratio time = Summary(seconds);
            ratios.emplace(name.substr(name.find('/') + 1),
                           Ratio{time.best / memcpy.best, time.median / memcpy.median});
        }
        return ratios;
    }

private:
    static std::string Name(const Run& run)
    {
        const std::string& args = run.run_name.args;
        return run.run_name.function_name + (args.empty() ? "" : "/" + args);
    }

    // The best and the median of the repetitions.
    static Ratio Summary(std::vector<double> seconds)
    {
        if (seconds.empty())
            return {};
        std::sort(seconds.begin(), seconds.end());
        return {seconds.front(), seconds[seconds.size() / 2]};
    }

    std::map<std::string, std::vector<double>> seconds_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    PrescanReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const std::map<std::string, std::string> names = {
        {"1", "From Left"}, {"2", "From Top"}, {"3", "From Right"}, {"4", "From Bottom"}};
    std::printf("\nCPU time against memcpy's, best of %d repetitions (median):\n", kRepetitions);
    double worst = 0;
    for (const auto& [code, ratio] : reporter.Ratios()) {
        const auto name = names.find(code);
        std::printf("  %-12s %6.2f x memcpy (%.2f)\n",
                    name != names.end() ? name->second.c_str() : code.c_str(), ratio.best,
                    ratio.median);
        worst = std::max(worst, ratio.best);
    }
    std::printf("prescan: %.2f x memcpy\n", worst);
    return 0;
}
