#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "imaging/PreviewRotation.h"

namespace scanora {

// The display renderer: converts the preview into the display copy in 256 x 256 tiles on its own
// thread, pausing between tiles so the user-interface thread stays responsive. Pass 1 renders the
// tiles on screen, pass 2 the rest, pass 3 adds every tile to the histogram; then the thread
// sleeps until the next Start or RecomputeHistogram.
class TileRenderer {
public:
    static constexpr int kTileSize = 256;

    // What the renderer does with a tile; every hook runs on the renderer thread.
    struct Hooks {
        // Whether the tile is on screen (pass 1 renders only those).
        std::function<bool(const ImageRect&)> isVisible;
        // Converts the tile and shows it; false when the display did not paint in time.
        std::function<bool(const ImageRect&)> render;
        // The histogram pass: begins (clear), adds a tile, ends (publish).
        std::function<void()> beginHistogram;
        std::function<void(const ImageRect&)> accumulate;
        std::function<void()> histogramDone;
        // A tile did not get painted in time: the whole display is to be redrawn.
        std::function<void()> redrawAll;
        // Cuts a render's wait for the display short (called before Pause and Stop wait).
        std::function<void()> interrupt;
    };

    explicit TileRenderer(Hooks hooks,
                          std::chrono::milliseconds pause = std::chrono::milliseconds(10));
    ~TileRenderer();
    TileRenderer(const TileRenderer&) = delete;
    TileRenderer& operator=(const TileRenderer&) = delete;

    // Tiles of 256 x 256 in rows from the top, left to right, the last of each row and column
    // clipped to the display.
    [[nodiscard]] static std::vector<ImageRect> BuildTiles(int width, int height);

    // Renders the whole display of `width` x `height` again: every tile dirty, visible tiles
    // first. Starts the thread on first use.
    void Start(int width, int height);
    // Counts the histogram again (pass 3) unless a render pass is under way, which reaches it.
    void RecomputeHistogram();
    // Leaves the renderer idle and returns once no tile is being worked on, so the preview may
    // be reallocated.
    void Pause();
    // Ends the thread.
    void Stop();

    // 0 idle, 1 visible tiles, 2 the rest, 3 histogram.
    [[nodiscard]] int Pass() const;
    [[nodiscard]] bool Running() const;
    // Blocks until the renderer is idle or `limit` has passed; true when idle.
    bool WaitIdle(std::chrono::milliseconds limit);

private:
    void Run();
    // One step of the current pass; called with the lock held, returns with it held.
    void Step(std::unique_lock<std::mutex>& lock);
    void Advance(std::unique_lock<std::mutex>& lock);
    [[nodiscard]] bool AnyDirty() const;

    const Hooks hooks_;
    const std::chrono::milliseconds pause_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<ImageRect> tiles_;
    std::vector<std::uint8_t> dirty_;
    int width_ = 0;
    int height_ = 0;
    std::size_t position_ = 0;
    int pass_ = 0;
    bool running_ = false;
    bool busy_ = false;
    bool quit_ = false;
    bool redrawNeeded_ = false;
    std::uint64_t generation_ = 0;
    std::thread thread_;
};

}  // namespace scanora
