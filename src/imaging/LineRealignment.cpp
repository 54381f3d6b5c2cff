#include "imaging/LineRealignment.h"

#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define SCANORA_REALIGN_AVX2 1
#endif

namespace scanora {

namespace {

constexpr bool kSwapWords = std::endian::native == std::endian::little;

// A camera sample in host order: 16-bit samples arrive big-endian, bytes need nothing.
template <typename Sample>
Sample ToHost(Sample sample)
{
    if constexpr (sizeof(Sample) == 2 && kSwapWords)
        return static_cast<Sample>((sample << 8) | (sample >> 8));
    else
        return sample;
}

// Bytes needed for `pixelCount` pixels of three samples plus the lead of two row offsets, or
// nothing when that does not fit a size_t.
std::optional<std::size_t> ColourSpan(std::size_t pixelCount, std::size_t offset,
                                      std::size_t sampleBytes)
{
    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    if (pixelCount > kMax / 3 / sampleBytes || offset > kMax / 2 / sampleBytes)
        return std::nullopt;
    const std::size_t pixels = 3 * pixelCount * sampleBytes;
    const std::size_t lead = 2 * offset * sampleBytes;
    if (pixels > kMax - lead)
        return std::nullopt;
    return pixels + lead;
}

// The per-pixel form: reads the three samples of pixel i, then writes them.
template <typename Sample>
void RealignPixels(std::uint8_t* data, std::size_t first, std::size_t pixelCount,
                   std::size_t offset)
{
    const std::size_t greenLead = offset * sizeof(Sample);
    const std::size_t redLead = 2 * greenLead;
    for (std::size_t pixel = first; pixel < pixelCount; ++pixel) {
        std::uint8_t* const at = data + pixel * 3 * sizeof(Sample);
        std::array<Sample, 3> in;
        std::memcpy(&in[0], at + redLead, sizeof(Sample));
        std::memcpy(&in[1], at + greenLead + sizeof(Sample), sizeof(Sample));
        std::memcpy(&in[2], at + 2 * sizeof(Sample), sizeof(Sample));
        for (Sample& sample : in) sample = ToHost(sample);
        std::memcpy(at, in.data(), sizeof in);
    }
}

#if defined(__SSE2__)
// Eight 16-bit pixels (24 samples, three registers) at a time. In register v the samples of colour
// c sit in the lanes j with (8v + j) mod 3 == c; the masks pick each colour from its own line. All
// nine loads of a group come before its three stores, so the conversion stays in place.
std::size_t RealignWordsVector(std::uint8_t* data, std::size_t pixelCount, std::size_t offset)
{
    const __m128i lanes0 = _mm_setr_epi16(-1, 0, 0, -1, 0, 0, -1, 0);
    const __m128i lanes1 = _mm_setr_epi16(0, -1, 0, 0, -1, 0, 0, -1);
    const __m128i lanes2 = _mm_setr_epi16(0, 0, -1, 0, 0, -1, 0, 0);
    const __m128i red[3] = {lanes0, lanes1, lanes2};
    const __m128i green[3] = {lanes1, lanes2, lanes0};
    const __m128i blue[3] = {lanes2, lanes0, lanes1};
    const std::size_t greenLead = offset * 2;
    const std::size_t redLead = 2 * greenLead;
    std::size_t pixel = 0;
    for (; pixel + 8 <= pixelCount; pixel += 8) {
        std::uint8_t* const at = data + pixel * 6;
        __m128i out[3];
        for (std::size_t v = 0; v < 3; ++v) {
            const auto load = [&](std::size_t lead) {
                return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + lead + 16 * v));
            };
            const __m128i picked =
                _mm_or_si128(_mm_or_si128(_mm_and_si128(load(redLead), red[v]),
                                          _mm_and_si128(load(greenLead), green[v])),
                             _mm_and_si128(load(0), blue[v]));
            // SSE2 hosts are little-endian: every sample is swapped.
            out[v] = _mm_or_si128(_mm_slli_epi16(picked, 8), _mm_srli_epi16(picked, 8));
        }
        for (std::size_t v = 0; v < 3; ++v)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 16 * v), out[v]);
    }
    return pixel;
}
#endif

#if defined(SCANORA_REALIGN_AVX2)
// The same with 256-bit registers: sixteen pixels (48 samples) at a time. Lane l of register v
// holds sample 16v + l, so the colour masks rotate differently from the 128-bit form.
__attribute__((target("avx2"))) std::size_t RealignWordsAvx2(std::uint8_t* data,
                                                             std::size_t pixelCount,
                                                             std::size_t offset)
{
    const __m256i lanes0 = _mm256_setr_epi16(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1);
    const __m256i lanes1 = _mm256_setr_epi16(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0);
    const __m256i lanes2 = _mm256_setr_epi16(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0);
    const __m256i red[3] = {lanes0, lanes2, lanes1};
    const __m256i green[3] = {lanes1, lanes0, lanes2};
    const __m256i blue[3] = {lanes2, lanes1, lanes0};
    const std::size_t greenLead = offset * 2;
    const std::size_t redLead = 2 * greenLead;
    std::size_t pixel = 0;
    for (; pixel + 16 <= pixelCount; pixel += 16) {
        std::uint8_t* const at = data + pixel * 6;
        __m256i out[3];
        for (std::size_t v = 0; v < 3; ++v) {
            // (No lambda here: it would not inherit the target attribute.)
            const auto* const red256 = reinterpret_cast<const __m256i*>(at + redLead + 32 * v);
            const auto* const green256 = reinterpret_cast<const __m256i*>(at + greenLead + 32 * v);
            const auto* const blue256 = reinterpret_cast<const __m256i*>(at + 32 * v);
            const __m256i picked = _mm256_or_si256(
                _mm256_or_si256(_mm256_and_si256(_mm256_loadu_si256(red256), red[v]),
                                _mm256_and_si256(_mm256_loadu_si256(green256), green[v])),
                _mm256_and_si256(_mm256_loadu_si256(blue256), blue[v]));
            out[v] = _mm256_or_si256(_mm256_slli_epi16(picked, 8), _mm256_srli_epi16(picked, 8));
        }
        for (std::size_t v = 0; v < 3; ++v)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(at + 32 * v), out[v]);
    }
    return pixel;
}
#endif

void RealignWords(std::uint8_t* data, std::size_t pixelCount, std::size_t offset)
{
    std::size_t done = 0;
#if defined(SCANORA_REALIGN_AVX2)
    if (__builtin_cpu_supports("avx2"))
        done = RealignWordsAvx2(data, pixelCount, offset);
#endif
#if defined(__SSE2__)
    done += RealignWordsVector(data + done * 6, pixelCount - done, offset);
#endif
    RealignPixels<std::uint16_t>(data, done, pixelCount, offset);
}

void SwapWords(std::uint8_t* data, std::size_t count)
{
    if constexpr (!kSwapWords)
        return;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t word;
        std::memcpy(&word, data + 2 * i, 2);
        word = ToHost(word);
        std::memcpy(data + 2 * i, &word, 2);
    }
}

}  // namespace

bool RealignLines(std::span<std::uint8_t> samples, std::size_t pixelCount, int sampleType,
                  std::size_t offset)
{
    switch (sampleType) {
    case SampleType::kColour16:
    case SampleType::kColour8: {
        const std::size_t sampleBytes = sampleType == SampleType::kColour16 ? 2 : 1;
        const auto needed = ColourSpan(pixelCount, offset, sampleBytes);
        if (!needed || *needed > samples.size())
            return false;
        if (sampleBytes == 2)
            RealignWords(samples.data(), pixelCount, offset);
        else
            RealignPixels<std::uint8_t>(samples.data(), 0, pixelCount, offset);
        return true;
    }
    case SampleType::kMono16:
        if (pixelCount > samples.size() / 2)
            return false;
        SwapWords(samples.data(), pixelCount);
        return true;
    default: return true;
    }
}

}  // namespace scanora
