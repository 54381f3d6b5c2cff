#include "acquire/LinePlacement.h"

#include <cstddef>
#include <cstring>

#include "acquire/PreviewRotation.h"
#include "settings/InsertRotation.h"

namespace scanora {

namespace {

constexpr std::size_t kPixelBytes = 6;

// Pixels move as 8-byte words: a load takes the pixel and two bytes of the next one, a store
// writes two bytes into the next slot, which the following store then fills correctly. The
// callers keep the last load of a line and the last store of a run to six bytes.
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

void Copy6(std::uint8_t* to, const std::uint8_t* from)
{
    std::memcpy(to, from, kPixelBytes);
}

// Four lines turned by 90 or 270 degrees: pixel j of the four lines fills 24 bytes of one image
// row, in line order (`reversed` false: 270) or the other way round (90). Pixel W - 1 is left
// to the caller: its 8-byte load would reach past the last line.
void PlaceFourTurned(const std::uint8_t* lines, std::size_t lineBytes, int pixels,
                     std::uint8_t* image, const PreviewRotation::IndexMap& at, int firstLine,
                     bool reversed)
{
    const std::uint8_t* const line0 = lines + static_cast<std::size_t>(firstLine) * lineBytes;
    const std::uint8_t* const line1 = line0 + lineBytes;
    const std::uint8_t* const line2 = line1 + lineBytes;
    const std::uint8_t* const line3 = line2 + lineBytes;
    // The leftmost of the four target pixels in the row of pixel j.
    const int leftLine = reversed ? firstLine + 3 : firstLine;
    for (int j = 0; j + 1 < pixels; ++j) {
        const std::size_t from = static_cast<std::size_t>(j) * kPixelBytes;
        std::uint8_t* const to = image + at(j, leftLine) * kPixelBytes;
        if (reversed) {
            Store8(to, Load8(line3 + from));
            Store8(to + 6, Load8(line2 + from));
            Store8(to + 12, Load8(line1 + from));
            Copy6(to + 18, line0 + from);
        } else {
            Store8(to, Load8(line0 + from));
            Store8(to + 6, Load8(line1 + from));
            Store8(to + 12, Load8(line2 + from));
            Copy6(to + 18, line3 + from);
        }
    }
}

// One line reversed into its image row (180 degrees), left to right in the image.
void PlaceReversed(const std::uint8_t* line, int pixels, std::uint8_t* row)
{
    const auto last = static_cast<std::size_t>(pixels - 1) * kPixelBytes;
    if (pixels == 1) {
        Copy6(row, line);
        return;
    }
    // Image column 0 takes the line's last pixel, which must not be read as 8 bytes.
    std::uint64_t word = 0;
    std::memcpy(&word, line + last, kPixelBytes);
    Store8(row, word);
    for (std::size_t c = 1; c + 1 < static_cast<std::size_t>(pixels); ++c)
        Store8(row + c * kPixelBytes, Load8(line + last - c * kPixelBytes));
    Copy6(row + last, line);
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
                std::span<std::uint8_t> image, LineLayout layout, int orientation)
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

    if (degrees == 0) {
        if (from == to)
            return true;  // read straight into the image
        std::memcpy(to + firstLine * lineBytes, from + firstLine * lineBytes, count * lineBytes);
        return true;
    }
    if (degrees == 180) {
        for (int k = firstLine; k < firstLine + count; ++k)
            PlaceReversed(from + k * lineBytes, layout.pixels,
                          to + at(layout.pixels - 1, k) * kPixelBytes);
        return true;
    }
    // 90 and 270: pixel j of the lines lands in one image row, the lines side by side.
    int j = 0;
    if (count == 4) {
        PlaceFourTurned(from, lineBytes, layout.pixels, to, at, firstLine, degrees == 90);
        j = layout.pixels - 1;
    }
    for (; j < layout.pixels; ++j) {
        const std::uint8_t* const pixel = from + j * kPixelBytes;
        for (int k = firstLine; k < firstLine + count; ++k)
            Copy6(to + at(j, k) * kPixelBytes, pixel + k * lineBytes);
    }
    return true;
}

}  // namespace scanora
