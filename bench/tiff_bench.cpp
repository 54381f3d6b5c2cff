// Writing a large 16-bit RGB image as a TIFF file: our writer against libtiff writing the same
// pixels to the same kind of file in the same run, and against memcpy of the same bytes.
//
// Both writers get the image row by row and write into a file in the same folder (the system's
// temporary folder, or SCANORA_BENCH_DIR); neither syncs to the disk. The time runs from creating
// the file to closing it; removing it afterwards is not counted. libtiff runs in our layout (one
// strip) and in its own default layout (strips of about 8 KiB, here one row each); the faster
// of the two is the reference. The runs alternate in rounds and each one's best round counts.
//
// The last line reads "tiff: <ratio> x libtiff, <percent>% of memcpy", where the ratio is our
// throughput over libtiff's (above 1: faster) and the percentage our throughput over memcpy's.

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "output/TIFFDescription.h"
#include "output/TIFFFile.h"
#include "platform/AtomicFile.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// 8192 x 5462 pixels of 16-bit RGB: 268 468 224 bytes, just over 256 MiB.
constexpr std::uint32_t kWidth = 8192;
constexpr std::uint32_t kHeight = 5462;
constexpr std::size_t kRowSamples = std::size_t{kWidth} * 3;
constexpr std::size_t kRowBytes = kRowSamples * sizeof(std::uint16_t);
constexpr std::size_t kImageBytes = kRowBytes * kHeight;
constexpr int kRounds = 7;

// The image every run writes, and where the files go.
struct Setup {
    std::vector<std::uint16_t> pixels;
    fs::path folder;
};

Setup MakeSetup()
{
    Setup setup;
    setup.pixels.resize(kRowSamples * kHeight);
    for (std::size_t i = 0; i < setup.pixels.size(); ++i)
        setup.pixels[i] = static_cast<std::uint16_t>(i * 2654435761u >> 16);
    const char* folder = std::getenv("SCANORA_BENCH_DIR");
    setup.folder = folder != nullptr ? fs::path(folder) : fs::temp_directory_path();
    return setup;
}

const std::uint16_t* Row(const Setup& setup, std::uint32_t y)
{
    return setup.pixels.data() + std::size_t{y} * kRowSamples;
}

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void MemcpyImage(benchmark::State& state, const Setup& setup)
{
    std::vector<std::uint8_t> target(kImageBytes, 1);  // touched, so no page faults are timed
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        std::memcpy(target.data(), setup.pixels.data(), kImageBytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
        state.SetIterationTime(Seconds(start));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kImageBytes));
}

void ScanoraTiff(benchmark::State& state, const Setup& setup)
{
    scanora::TIFFDescription description;
    description.width = kWidth;
    description.height = kHeight;
    description.bitsPerSample = 16;
    description.samplesPerPixel = 3;
    description.photometric = 2;
    const fs::path path = setup.folder / "scanora-bench.tif";
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        scanora::AtomicFile file(path);
        scanora::TIFFFile tiff(file);
        bool written = file.Open() && tiff.Open(description);
        for (std::uint32_t y = 0; written && y < kHeight; ++y)
            written = tiff.WriteSamples(std::span(Row(setup, y), kRowSamples));
        written = tiff.Close() && written;
        state.SetIterationTime(Seconds(start));
        if (!written) {
            state.SkipWithError("writing failed");
            break;
        }
        file.Discard();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kImageBytes));
}

// Argument: rows per strip, 0 for libtiff's default.
void LibTiff(benchmark::State& state, const Setup& setup)
{
    const fs::path path = setup.folder / "libtiff-bench.tif";
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        TIFF* tiff = TIFFOpen(path.c_str(), "w");
        if (tiff == nullptr) {
            state.SkipWithError("libtiff cannot create the file");
            break;
        }
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kHeight);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 16);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        const auto rowsPerStrip = static_cast<std::uint32_t>(state.range(0));
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP,
                     rowsPerStrip != 0 ? rowsPerStrip : TIFFDefaultStripSize(tiff, 0));
        bool written = true;
        for (std::uint32_t y = 0; written && y < kHeight; ++y)
            written = TIFFWriteScanline(tiff, const_cast<std::uint16_t*>(Row(setup, y)), y, 0) == 1;
        TIFFClose(tiff);
        state.SetIterationTime(Seconds(start));
        if (!written) {
            state.SkipWithError("libtiff failed to write");
            break;
        }
        fs::remove(path);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kImageBytes));
}

// The console output, and the best time per iteration of each benchmark for the closing line.
class BestTimeReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            const double seconds =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const std::string name = run.run_name.function_name;
            const auto found = best_.find(name);
            if (found == best_.end() || seconds < found->second)
                best_[name] = seconds;
        }
    }

    // The best time of the benchmark, or of the fastest one whose name starts with `prefix`.
    [[nodiscard]] double Best(const std::string& prefix) const
    {
        double best = std::numeric_limits<double>::infinity();
        for (const auto& [name, seconds] : best_) {
            if (name.rfind(prefix, 0) == 0)
                best = std::min(best, seconds);
        }
        return best;
    }

private:
    std::map<std::string, double> best_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const Setup setup = MakeSetup();
    // The runs alternate in rounds, so that a change of load on the machine hits every writer
    // alike; each writer's best round counts.
    const auto add = [&setup](const char* name, auto function) {
        return benchmark::RegisterBenchmark(name, function, std::cref(setup))
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    };
    for (int round = 0; round < kRounds; ++round) {
        add("MemcpyImage", MemcpyImage);
        add("ScanoraTiff", ScanoraTiff);
        add("LibTiffDefaultStrips", LibTiff)->Arg(0);
        // libtiff is far slower in our one-strip layout; a few rounds show it.
        if (round < 2)
            add("LibTiffOneStrip", LibTiff)->Arg(kHeight);
    }

    BestTimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double ours = reporter.Best("ScanoraTiff");
    const double libtiff = reporter.Best("LibTiff");
    const double memcpy = reporter.Best("MemcpyImage");
    std::printf("tiff: %.2f x libtiff, %.0f%% of memcpy\n", libtiff / ours, 100.0 * memcpy / ours);
    return 0;
}
