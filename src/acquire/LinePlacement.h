#pragma once

#include <cstdint>
#include <span>

namespace scanora {

// The prescan's camera lines: `pixels` (W) pixels of red, green and blue 16-bit samples per line
// (6 bytes a pixel), `lines` (L) lines in the preview.
struct LineLayout {
    int pixels = 0;
    int lines = 0;
};

// The view rotation that shows an insertion code's lines upright: From Left (1) 270, From Top (2)
// 0, From Right (3) 90, From Bottom (4) 180; any other code counts as From Top.
int ViewRotationForInsert(int code);
// The insertion code whose lines a preview at `degrees` holds; 2 for an unknown angle.
int InsertCodeForRotation(int degrees);

// Copies camera line `line` (W pixels starting at pixel line * W of `source`) into the preview
// `image` in the orientation of insertion code `orientation`:
//   1: pixel j -> row W - 1 - j, column line (image L wide, W high);
//   2: row line, column j (image W wide, L high); nothing is copied when `source` already is the
//      image (the lines were read straight into it);
//   3: pixel j -> row j, column L - 1 - line (L wide, W high);
//   4: pixel j -> row L - 1 - line, column W - 1 - j (W wide, L high).
// The positions are those of PreviewRotation at the code's view rotation. False, with nothing
// copied, when the line is outside the preview or either buffer is too small for it.
bool PlaceLine(int line, std::span<const std::uint8_t> source, std::span<std::uint8_t> image,
               LineLayout layout, int orientation);

// The instruction sets PlaceLines may use. Every choice writes the same bytes; the narrower ones
// are there for hosts without the wider ones (and for checking them on hosts that have them).
enum class PlacementKernels {
    kWidest,  // the widest the processor offers
    kSse2,    // 16-byte registers at most
    kPlain,   // no vector instructions
};

// PlaceLine for `count` consecutive lines from `firstLine`, in the order that writes the image
// in runs: for the turned orientations the pixels of all the lines that land in one image row
// are written together (a group of four lines as one 24-byte piece per image row). Only the
// placed pixels are written.
bool PlaceLines(int firstLine, int count, std::span<const std::uint8_t> source,
                std::span<std::uint8_t> image, LineLayout layout, int orientation,
                PlacementKernels kernels = PlacementKernels::kWidest);

}  // namespace scanora
