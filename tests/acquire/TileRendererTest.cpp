#include "acquire/TileRenderer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

#include "acquire/PaintEvent.h"

namespace scanora {
namespace {

using namespace std::chrono_literals;

TEST(TileRenderer, TilesCoverTheDisplayInRows)
{
    const std::vector<ImageRect> tiles = TileRenderer::BuildTiles(257, 300);
    ASSERT_EQ(tiles.size(), 4u);
    EXPECT_EQ(tiles[0], (ImageRect{0, 0, 256, 256}));
    // The second column is one pixel wide.
    EXPECT_EQ(tiles[1], (ImageRect{256, 0, 257, 256}));
    EXPECT_EQ(tiles[3], (ImageRect{256, 256, 257, 300}));
    EXPECT_TRUE(TileRenderer::BuildTiles(0, 300).empty());
}

// Records what the renderer did, in order.
struct Journal {
    std::mutex mutex;
    std::vector<std::pair<char, ImageRect>> events;  // 'r' render, 'h' histogram, 'd' done
    void Add(char kind, ImageRect rect = {})
    {
        const std::lock_guard lock(mutex);
        events.emplace_back(kind, rect);
    }
};

TEST(TileRenderer, VisibleTilesFirstThenTheRestThenTheHistogram)
{
    Journal journal;
    const ImageRect visible{256, 256, 512, 512};
    TileRenderer::Hooks hooks;
    hooks.isVisible = [&](const ImageRect& tile) { return tile == visible; };
    hooks.render = [&](const ImageRect& tile) {
        journal.Add('r', tile);
        return true;
    };
    hooks.accumulate = [&](const ImageRect& tile) { journal.Add('h', tile); };
    hooks.histogramDone = [&] { journal.Add('d'); };
    TileRenderer renderer(hooks, 0ms);
    renderer.Start(512, 512);
    ASSERT_TRUE(renderer.WaitIdle(2000ms));

    const std::lock_guard lock(journal.mutex);
    ASSERT_EQ(journal.events.size(), 4u + 4u + 1u);
    EXPECT_EQ(journal.events[0], std::make_pair('r', visible));
    // Every tile rendered once, then counted once, then the histogram is done.
    for (std::size_t i = 1; i < 4; ++i) EXPECT_EQ(journal.events[i].first, 'r');
    for (std::size_t i = 4; i < 8; ++i) EXPECT_EQ(journal.events[i].first, 'h');
    EXPECT_EQ(journal.events[8].first, 'd');
    EXPECT_FALSE(renderer.Running());
    EXPECT_EQ(renderer.Pass(), 0);
}

TEST(TileRenderer, RecomputeHistogramCountsWithoutRendering)
{
    std::atomic<int> rendered{0};
    std::atomic<int> counted{0};
    TileRenderer::Hooks hooks;
    hooks.render = [&](const ImageRect&) {
        ++rendered;
        return true;
    };
    hooks.accumulate = [&](const ImageRect&) { ++counted; };
    TileRenderer renderer(hooks, 0ms);
    renderer.RecomputeHistogram();  // nothing to count before the first start
    renderer.Start(300, 10);
    ASSERT_TRUE(renderer.WaitIdle(2000ms));
    EXPECT_EQ(rendered.load(), 2);
    EXPECT_EQ(counted.load(), 2);
    renderer.RecomputeHistogram();
    ASSERT_TRUE(renderer.WaitIdle(2000ms));
    EXPECT_EQ(rendered.load(), 2);
    EXPECT_EQ(counted.load(), 4);
}

TEST(TileRenderer, AMissedPaintAsksForAFullRedraw)
{
    std::atomic<int> redraws{0};
    TileRenderer::Hooks hooks;
    hooks.render = [](const ImageRect& tile) { return tile.left != 0; };
    hooks.redrawAll = [&] { ++redraws; };
    TileRenderer renderer(hooks, 0ms);
    renderer.Start(600, 10);
    ASSERT_TRUE(renderer.WaitIdle(2000ms));
    EXPECT_EQ(redraws.load(), 1);
}

TEST(TileRenderer, PauseReturnsOnceTheTileInHandIsDone)
{
    PaintEvent painted;
    std::atomic<bool> inRender{false};
    std::atomic<bool> renderEnded{false};
    TileRenderer::Hooks hooks;
    hooks.render = [&](const ImageRect&) {
        inRender = true;
        // Waits for a paint that only the interrupt brings.
        const bool ok = painted.WaitFor(5000ms);
        renderEnded = true;
        return ok;
    };
    hooks.interrupt = [&] { painted.Set(); };
    TileRenderer renderer(hooks, 0ms);
    renderer.Start(1024, 1024);
    for (int i = 0; i < 2000 && !inRender.load(); ++i) std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(inRender.load());
    const auto before = std::chrono::steady_clock::now();
    renderer.Pause();
    EXPECT_TRUE(renderEnded.load());
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1000ms);
    EXPECT_EQ(renderer.Pass(), 0);
    renderer.Stop();
}

TEST(PaintEvent, WaitsUntilSetOrTheLimit)
{
    PaintEvent event;
    EXPECT_FALSE(event.WaitFor(1ms));
    event.Set();
    EXPECT_TRUE(event.WaitFor(0ms));
    EXPECT_TRUE(event.IsSet());  // manual reset: it stays set
    event.Reset();
    std::thread painter([&] { event.Set(); });
    EXPECT_TRUE(event.WaitFor(2000ms));
    painter.join();
}

}  // namespace
}  // namespace scanora
