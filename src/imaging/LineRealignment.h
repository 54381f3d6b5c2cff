#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace scanora {

// How the camera lays out the pixels of the lines it sends (prescan) or stores (scan); each value
// is the stored bytes per pixel.
struct SampleType {
    static constexpr int kNone = 1;      // nothing to convert
    static constexpr int kMono16 = 2;    // one big-endian 16-bit sample per pixel
    static constexpr int kColour8 = 3;   // red, green, blue bytes
    static constexpr int kColour16 = 6;  // red, green, blue big-endian 16-bit samples
};

// Brings the camera's samples into the host's form, in place. The three colour rows of the
// sensor see different scene lines, so within one camera pixel the red sample belongs to the
// line 2 * offset samples further on and the green sample to the line offset samples further
// on; for pixel i = 0 .. pixelCount - 1:
//   kColour16: sample 3i = swap(sample 3i + 2*offset), 3i + 1 = swap(sample 3i + offset + 1),
//              3i + 2 = swap(sample 3i + 2), swap turning big-endian samples into host order;
//   kColour8:  the same moves without a swap (offset counts bytes);
//   kMono16:   every one of the pixelCount samples is swapped, offset is not used;
//   any other type: nothing.
// Only samples ahead of the one being written are read, so the result equals an out-of-place
// conversion of the original data. False, with nothing changed, when `samples` is shorter than
// (3 * pixelCount + 2 * offset) samples for the colour types (pixelCount samples for kMono16).
bool RealignLines(std::span<std::uint8_t> samples, std::size_t pixelCount, int sampleType,
                  std::size_t offset);

}  // namespace scanora
