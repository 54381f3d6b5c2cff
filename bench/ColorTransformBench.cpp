// Colour management of the preview: converting a screenful of display bytes from the chosen
// profile into the display's, as every paint of the image view does.

#include "RatioReporter.h"
#include "imaging/DisplayColorTransform.h"

#include <benchmark/benchmark.h>
#include <lcms2.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using scanora::DisplayColorTransform;

constexpr int kWidth = 2048;
constexpr int kHeight = 1365;
constexpr std::size_t kStride = std::size_t{kWidth} * 3;
constexpr std::size_t kAreaBytes = kStride * kHeight;

std::vector<std::uint8_t> RandomArea()
{
    std::mt19937 random(7);
    std::vector<std::uint8_t> area(kAreaBytes);
    for (std::uint8_t& byte : area) byte = static_cast<std::uint8_t>(random());
    return area;
}

// sRGB primaries with straight tone curves: a profile that really has to be converted.
std::vector<std::uint8_t> LinearProfile()
{
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    cmsToneCurve* curves[3] = {linear, linear, linear};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<std::uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    cmsFreeToneCurve(linear);
    return bytes;
}

// Reference: copying the area's bytes.
void MemcpyArea(benchmark::State& state)
{
    const std::vector<std::uint8_t> area = RandomArea();
    std::vector<std::uint8_t> target(area.size());
    for (auto _ : state) {
        std::memcpy(target.data(), area.data(), area.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kAreaBytes));
}
BENCHMARK(MemcpyArea);

// Argument: 0 the linear profile onto an sRGB display, 1 sRGB onto a linear display.
void TransformArea(benchmark::State& state)
{
    const std::vector<std::uint8_t> linear = LinearProfile();
    DisplayColorTransform transform(state.range(0) == 0 ? linear : std::vector<std::uint8_t>{},
                                    state.range(0) == 0 ? std::vector<std::uint8_t>{} : linear);
    if (!transform.IsValid()) {
        state.SkipWithError(transform.ErrorMessage().c_str());
        return;
    }
    std::vector<std::uint8_t> area = RandomArea();
    for (auto _ : state) {
        transform.Apply(area, kWidth, kHeight, kStride);
        benchmark::DoNotOptimize(area.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kAreaBytes));
}
BENCHMARK(TransformArea)->Arg(0)->Arg(1);

}  // namespace

int main(int argc, char** argv)
{
    return scanora::bench::RunWithRatios(argc, argv, {{"TransformArea", "MemcpyArea"}});
}
