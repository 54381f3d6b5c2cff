#include "acquire/LinePlacement.h"

#include <array>
#include <cstddef>
#include <cstring>

#include "imaging/PreviewRotation.h"
#include "settings/InsertRotation.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define SCANORA_PLACE_VBMI 1
#define SCANORA_PLACE_VBMI_TARGET __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi")))
#endif

namespace scanora {

namespace {

constexpr std::size_t kPixelBytes = 6;
constexpr int kGroupLines = 4;

void Copy6(std::uint8_t* to, const std::uint8_t* from)
{
    std::memcpy(to, from, kPixelBytes);
}

std::uint64_t Load8(const std::uint8_t* at)
{
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

void Store8(std::uint8_t* at, std::uint64_t word)
{
    std::memcpy(at, &word, sizeof word);
}

// A group of four lines turned by 90 or 270 degrees: pixel j of the four lines fills the 24
// bytes at `row` + j * `rowStep`, lines[0] leftmost. Every image row gets one contiguous store
// of the group; no pixel outside those 24 bytes is written.
struct TurnedGroup {
    std::array<const std::uint8_t*, kGroupLines> lines{};  // in image order, left to right
    std::uint8_t* row = nullptr;                           // the 24 bytes of pixel 0
    std::ptrdiff_t rowStep = 0;                            // bytes from one image row to the next

    [[nodiscard]] std::uint8_t* RowOf(int pixel) const { return row + pixel * rowStep; }
};

// Each kernel places pixels [first, its limit) and returns where it stopped; the plain loop
// finishes whatever the wider kernels leave. The kernels take the group by value: a copy of
// their own cannot be changed by their stores into the image, so it is not read again after each.
void TurnPlain(TurnedGroup group, int first, int pixels)
{
    for (int j = first; j < pixels; ++j) {
        std::uint8_t* const to = group.RowOf(j);
        const auto from = static_cast<std::size_t>(j) * kPixelBytes;
        for (std::size_t k = 0; k < kGroupLines; ++k)
            Copy6(to + k * kPixelBytes, group.lines[k] + from);
    }
}

#if defined(__SSE2__)
// One row at a time as two overlapping 16-byte stores (bytes 0-15 and 8-23), each put together
// from 16-byte loads at pixel j of the lines. A load reaches ten bytes past its pixel, so the
// last two pixels of the lines stay with the plain loop.
int TurnSse2(TurnedGroup group, int first, int pixels)
{
    const __m128i bytes0to5 = _mm_setr_epi32(-1, 0xFFFF, 0, 0);
    const __m128i bytes6to11 = _mm_setr_epi32(0, static_cast<int>(0xFFFF0000), 0xFFFF, 0);
    const __m128i bytes0to3 = _mm_setr_epi32(-1, 0, 0, 0);
    const __m128i bytes4to9 = _mm_setr_epi32(0, -1, 0xFFFF, 0);
    const auto load = [](const std::uint8_t* at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    };
    int j = first;
    for (; j + 3 <= pixels; ++j) {
        const auto from = static_cast<std::size_t>(j) * kPixelBytes;
        const __m128i a = load(group.lines[0] + from);
        const __m128i b = load(group.lines[1] + from);
        const __m128i c = load(group.lines[2] + from);
        const __m128i d = load(group.lines[3] + from);
        // a0-5 b0-5 c0-3 | b2-5 c0-5 d0-5
        const __m128i head =
            _mm_or_si128(_mm_or_si128(_mm_and_si128(a, bytes0to5),
                                      _mm_and_si128(_mm_slli_si128(b, 6), bytes6to11)),
                         _mm_slli_si128(c, 12));
        const __m128i tail =
            _mm_or_si128(_mm_or_si128(_mm_and_si128(_mm_srli_si128(b, 2), bytes0to3),
                                      _mm_and_si128(_mm_slli_si128(c, 4), bytes4to9)),
                         _mm_slli_si128(d, 10));
        std::uint8_t* const to = group.RowOf(j);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), head);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 8), tail);
    }
    return j;
}
#endif

#if defined(SCANORA_PLACE_VBMI)
bool HasVbmi()
{
    return __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vl");
}

// (The masked forms of the AVX-512 moves below select every element; the unmasked forms start
// from undefined registers that GCC 12 reports as possibly uninitialised.)
constexpr __mmask8 kAll8 = 0xFF;

// Byte permutation tables, built once at compile time.
using ByteTable = std::array<std::uint8_t, 64>;

// Four pixels of the four lines sit in two registers: lines 0 and 1 in the low and high 32 bytes
// of the first (bytes 0-23 and 32-55), lines 2 and 3 likewise in the second (indexes 64 on).
// Table `pixel` gathers the image row of that pixel into bytes 0-23.
constexpr ByteTable TurnTable(int pixel)
{
    ByteTable table{};
    for (int line = 0; line < kGroupLines; ++line) {
        for (int byte = 0; byte < 6; ++byte)
            table[6 * line + byte] =
                static_cast<std::uint8_t>(64 * (line / 2) + 32 * (line % 2) + 6 * pixel + byte);
    }
    return table;
}
constexpr std::array<ByteTable, 4> kTurn = {TurnTable(0), TurnTable(1), TurnTable(2), TurnTable(3)};

// Ten pixels (60 bytes) in reverse order.
constexpr ByteTable ReverseTable()
{
    ByteTable table{};
    for (int pixel = 0; pixel < 10; ++pixel) {
        for (int byte = 0; byte < 6; ++byte)
            table[6 * pixel + byte] = static_cast<std::uint8_t>(6 * (9 - pixel) + byte);
    }
    return table;
}
constexpr ByteTable kReverse = ReverseTable();

// Four rows per round: one masked 24-byte load per line, then per row a two-register byte
// permutation and a masked 24-byte store. The masks keep every access inside its pixels.
SCANORA_PLACE_VBMI_TARGET int TurnVbmi(TurnedGroup group, int first, int pixels)
{
    const __m512i tables[4] = {
        _mm512_loadu_si512(kTurn[0].data()), _mm512_loadu_si512(kTurn[1].data()),
        _mm512_loadu_si512(kTurn[2].data()), _mm512_loadu_si512(kTurn[3].data())};
    constexpr __mmask32 kRow = 0xFFFFFF;
    const std::uint8_t* const line0 = group.lines[0];
    const std::uint8_t* const line1 = group.lines[1];
    const std::uint8_t* const line2 = group.lines[2];
    const std::uint8_t* const line3 = group.lines[3];
    int j = first;
    for (; j + 4 <= pixels; j += 4) {
        const auto from = static_cast<std::size_t>(j) * kPixelBytes;
        const __m512i lines01 =
            _mm512_maskz_inserti64x4(kAll8, _mm512_maskz_loadu_epi8(kRow, line0 + from),
                                     _mm256_maskz_loadu_epi8(kRow, line1 + from), 1);
        const __m512i lines23 =
            _mm512_maskz_inserti64x4(kAll8, _mm512_maskz_loadu_epi8(kRow, line2 + from),
                                     _mm256_maskz_loadu_epi8(kRow, line3 + from), 1);
        for (int pixel = 0; pixel < 4; ++pixel) {
            // A 32-byte store: the 64-byte form is slower when it spans two cache lines.
            const __m512i rowBytes = _mm512_permutex2var_epi8(lines01, tables[pixel], lines23);
            _mm256_mask_storeu_epi8(group.RowOf(j + pixel), kRow,
                                    _mm512_maskz_extracti64x4_epi64(kAll8, rowBytes, 0));
        }
    }
    return j;
}

// Image columns [first, first + 10k) of a reversed line, ten pixels per masked load and store.
SCANORA_PLACE_VBMI_TARGET int ReverseVbmi(const std::uint8_t* line, int first, int pixels,
                                          std::uint8_t* row)
{
    const __m512i reverse = _mm512_loadu_si512(kReverse.data());
    constexpr __mmask64 kTen = (__mmask64{1} << 60) - 1;
    int column = first;
    for (; column + 10 <= pixels; column += 10) {
        const __m512i in = _mm512_maskz_loadu_epi8(
            kTen, line + static_cast<std::size_t>(pixels - 10 - column) * kPixelBytes);
        _mm512_mask_storeu_epi8(row + static_cast<std::size_t>(column) * kPixelBytes, kTen,
                                _mm512_maskz_permutexvar_epi8(~__mmask64{0}, reverse, in));
    }
    return column;
}
#endif

void PlaceTurnedGroup(const TurnedGroup& group, int pixels, PlacementKernels kernels)
{
    int done = 0;
    static_cast<void>(kernels);
#if defined(SCANORA_PLACE_VBMI)
    if (kernels == PlacementKernels::kWidest && HasVbmi())
        done = TurnVbmi(group, done, pixels);
#endif
#if defined(__SSE2__)
    if (kernels != PlacementKernels::kPlain)
        done = TurnSse2(group, done, pixels);
#endif
    TurnPlain(group, done, pixels);
}

// Image columns [first, pixels) of a reversed line: column c takes pixel pixels - 1 - c. Pixels
// move as 8-byte words, each store running two bytes into the next column, which the next store
// then fills; column 0 (whose load would pass the line's end) and the last column (whose store
// would pass the row's end) move as six bytes.
void ReversePlain(const std::uint8_t* line, int first, int pixels, std::uint8_t* row)
{
    const auto source = [&](int column) {
        return line + static_cast<std::size_t>(pixels - 1 - column) * kPixelBytes;
    };
    int column = first;
    if (column == 0 && pixels > 0) {
        Copy6(row, source(0));
        column = 1;
    }
    for (; column + 1 < pixels; ++column)
        Store8(row + static_cast<std::size_t>(column) * kPixelBytes, Load8(source(column)));
    if (column < pixels)
        Copy6(row + static_cast<std::size_t>(column) * kPixelBytes, source(column));
}

void PlaceReversed(const std::uint8_t* line, int pixels, std::uint8_t* row,
                   PlacementKernels kernels)
{
    int done = 0;
    static_cast<void>(kernels);
#if defined(SCANORA_PLACE_VBMI)
    if (kernels == PlacementKernels::kWidest && HasVbmi())
        done = ReverseVbmi(line, done, pixels, row);
#endif
    ReversePlain(line, done, pixels, row);
}

}  // namespace

int ViewRotationForInsert(int code)
{
    switch (InsertRotation::Normalise(code)) {
    case InsertRotation::kFromLeft: return 270;
    case InsertRotation::kFromRight: return 90;
    case InsertRotation::kFromBottom: return 180;
    default: return 0;
    }
}

int InsertCodeForRotation(int degrees)
{
    switch (degrees) {
    case 270: return InsertRotation::kFromLeft;
    case 90: return InsertRotation::kFromRight;
    case 180: return InsertRotation::kFromBottom;
    default: return InsertRotation::kFromTop;
    }
}

bool PlaceLine(int line, std::span<const std::uint8_t> source, std::span<std::uint8_t> image,
               LineLayout layout, int orientation)
{
    return PlaceLines(line, 1, source, image, layout, orientation);
}

bool PlaceLines(int firstLine, int count, std::span<const std::uint8_t> source,
                std::span<std::uint8_t> image, LineLayout layout, int orientation,
                PlacementKernels kernels)
{
    if (layout.pixels < 0 || layout.lines < 0 || firstLine < 0 || count < 0 ||
        count > layout.lines - firstLine)
        return false;
    if (count == 0 || layout.pixels == 0)
        return true;
    const auto lineBytes = static_cast<std::size_t>(layout.pixels) * kPixelBytes;
    const auto end = static_cast<std::size_t>(firstLine + count);
    if (end > source.size() / lineBytes ||
        static_cast<std::size_t>(layout.lines) > image.size() / lineBytes)
        return false;

    const int degrees = ViewRotationForInsert(orientation);
    const PreviewRotation::IndexMap at =
        PreviewRotation(degrees, layout.pixels, layout.lines).Indices();
    const std::uint8_t* const from = source.data();
    std::uint8_t* const to = image.data();
    const auto lineAt = [&](int line) { return from + static_cast<std::size_t>(line) * lineBytes; };

    if (degrees == 0) {
        if (from == to)
            return true;  // read straight into the image
        std::memcpy(to + firstLine * lineBytes, lineAt(firstLine), count * lineBytes);
        return true;
    }
    if (degrees == 180) {
        for (int k = firstLine; k < firstLine + count; ++k)
            PlaceReversed(lineAt(k), layout.pixels, to + at(layout.pixels - 1, k) * kPixelBytes,
                          kernels);
        return true;
    }
    // 90 and 270: pixel j of the lines lands in one image row, the lines side by side; at 90
    // the last line is leftmost.
    const std::ptrdiff_t rowStep = at.strideX * static_cast<std::ptrdiff_t>(kPixelBytes);
    if (count == kGroupLines) {
        TurnedGroup group;
        for (int k = 0; k < kGroupLines; ++k)
            group.lines[k] =
                lineAt(degrees == 90 ? firstLine + kGroupLines - 1 - k : firstLine + k);
        group.row =
            to + at(0, degrees == 90 ? firstLine + kGroupLines - 1 : firstLine) * kPixelBytes;
        group.rowStep = rowStep;
        PlaceTurnedGroup(group, layout.pixels, kernels);
        return true;
    }
    for (int j = 0; j < layout.pixels; ++j) {
        const auto pixel = static_cast<std::size_t>(j) * kPixelBytes;
        for (int k = firstLine; k < firstLine + count; ++k)
            Copy6(to + at(j, k) * kPixelBytes, lineAt(k) + pixel);
    }
    return true;
}

}  // namespace scanora
