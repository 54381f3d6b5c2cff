// One step of dragging a tone curve handle, as the user feels it: the handle moved on the graph,
// the curve's raw table rebuilt when the button is released, and the whole preview converted to
// display bytes through the new table. The preview is the largest the program allocates: the
// largest model's prescan buffer (a super prescan at the finest step fills the same buffer), in
// the program's initial display rotation, filled with noise so that every table entry is read.
// Runs a number of updates, moving the middle handle up and down by one level, and keeps the
// median (the best is printed too). The goal is one display frame (16 ms) per update.
//
// Prints, as its last line:
//   curve drag: <ms> ms per update

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "acquire/PreviewImage.h"
#include "camera/CameraModel.h"
#include "imaging/QVCurveEditor.h"

namespace {

using scanora::PreviewGeometry;
using scanora::PreviewImage;
using scanora::QVCurveEditor;
using Clock = std::chrono::steady_clock;

constexpr int kUpdates = 60;
constexpr int kModelCodes = 7;

// The largest preview over the model table.
PreviewGeometry LargestPreview()
{
    PreviewGeometry largest;
    for (int code = 1; code <= kModelCodes; ++code) {
        const scanora::CameraModel& model = scanora::LookUpCameraModel(code);
        const PreviewGeometry geometry = PreviewGeometry::ForCamera(
            model.sensorWidth, model.maxLines, model.maxSizeStep, model.minSizeStep);
        if (static_cast<long long>(geometry.width) * geometry.height >
            static_cast<long long>(largest.width) * largest.height)
            largest = geometry;
    }
    return largest;
}

void FillWithNoise(std::span<std::uint16_t> samples)
{
    std::minstd_rand random(11);
    for (std::uint16_t& sample : samples) sample = static_cast<std::uint16_t>(random() >> 8);
}

}  // namespace

int main()
{
    const PreviewGeometry geometry = LargestPreview();
    PreviewImage preview;
    if (!preview.AllocatePreview(geometry)) {
        std::fprintf(stderr, "curve_drag_bench: the preview of %d x %d pixels cannot be had\n",
                     geometry.width, geometry.height);
        return 1;
    }
    FillWithNoise(preview.CurrentSamples());

    QVCurveEditor editor;
    editor.SetClientArea(0, 0, 263, 271);  // the tone page's graph: a 256 x 256 plot
    editor.SetListener([&] { preview.ConvertAll(editor.Curve()); });
    editor.Curve().BuildRawTable();
    preview.ConvertAll(editor.Curve());

    const auto handles = editor.Handles();
    const std::size_t middle = handles.size() / 2;
    const scanora::CurveGraph& graph = editor.Graph();
    std::vector<double> milliseconds;
    milliseconds.reserve(kUpdates);
    for (int update = 0; update < kUpdates; ++update) {
        const auto& handle = editor.Handles()[middle];
        const int x = graph.LevelToX(handle.x);
        const int y = graph.LevelToY(handle.y);
        const int step = update % 2 == 0 ? -4 : 4;  // a few pixels up, then back down
        const auto start = Clock::now();
        if (!editor.Press(x, y)) {
            std::fprintf(stderr, "curve_drag_bench: no handle under (%d, %d)\n", x, y);
            return 1;
        }
        editor.Move(x, y + step, false);
        if (!editor.Release()) {
            std::fprintf(stderr, "curve_drag_bench: the drag did not change the curve\n");
            return 1;
        }
        milliseconds.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("preview: %d x %d pixels, %d updates\n", geometry.width, geometry.height, kUpdates);
    std::printf("best: %.2f ms per update\n", milliseconds.front());
    std::printf("curve drag: %.2f ms per update\n", milliseconds[milliseconds.size() / 2]);
    return 0;
}
