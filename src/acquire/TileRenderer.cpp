#include "acquire/TileRenderer.h"

#include <algorithm>

namespace scanora {

TileRenderer::TileRenderer(Hooks hooks, std::chrono::milliseconds pause)
    : hooks_(std::move(hooks)), pause_(pause)
{
}

TileRenderer::~TileRenderer()
{
    Stop();
}

std::vector<ImageRect> TileRenderer::BuildTiles(int width, int height)
{
    std::vector<ImageRect> tiles;
    if (width <= 0 || height <= 0)
        return tiles;
    for (int top = 0; top < height; top += kTileSize) {
        for (int left = 0; left < width; left += kTileSize)
            tiles.push_back(
                {left, top, std::min(left + kTileSize, width), std::min(top + kTileSize, height)});
    }
    return tiles;
}

void TileRenderer::Start(int width, int height)
{
    {
        const std::lock_guard lock(mutex_);
        if (quit_)
            return;
        if (tiles_.empty() || width != width_ || height != height_) {
            tiles_ = BuildTiles(width, height);
            width_ = width;
            height_ = height;
        }
        dirty_.assign(tiles_.size(), 1);
        position_ = 0;
        pass_ = tiles_.empty() ? 0 : 1;
        running_ = pass_ != 0;
        ++generation_;
        if (!thread_.joinable())
            thread_ = std::thread(&TileRenderer::Run, this);
    }
    changed_.notify_all();
}

void TileRenderer::RecomputeHistogram()
{
    {
        const std::lock_guard lock(mutex_);
        if (!thread_.joinable() || tiles_.empty())
            return;
        if (pass_ == 0 || pass_ == 3) {
            pass_ = 3;
            position_ = 0;
            running_ = true;
            ++generation_;
        }
    }
    changed_.notify_all();
}

void TileRenderer::Pause()
{
    if (hooks_.interrupt)
        hooks_.interrupt();
    std::unique_lock lock(mutex_);
    pass_ = 0;
    running_ = false;
    ++generation_;
    changed_.wait(lock, [this] { return !busy_; });
}

void TileRenderer::Stop()
{
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
        pass_ = 0;
        ++generation_;
    }
    changed_.notify_all();
    if (hooks_.interrupt)
        hooks_.interrupt();
    if (thread_.joinable())
        thread_.join();
}

int TileRenderer::Pass() const
{
    const std::lock_guard lock(mutex_);
    return pass_;
}

bool TileRenderer::Running() const
{
    const std::lock_guard lock(mutex_);
    return running_;
}

bool TileRenderer::WaitIdle(std::chrono::milliseconds limit)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return !running_ && !busy_; });
}

bool TileRenderer::AnyDirty() const
{
    return std::any_of(dirty_.begin(), dirty_.end(), [](std::uint8_t d) { return d != 0; });
}

void TileRenderer::Run()
{
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (pass_ == 0) {
            changed_.wait(lock, [this] { return quit_ || pass_ != 0; });
            continue;
        }
        Step(lock);
        changed_.wait_for(lock, pause_, [this] { return quit_; });
    }
    tiles_.clear();
    dirty_.clear();
    running_ = false;
}

void TileRenderer::Step(std::unique_lock<std::mutex>& lock)
{
    if (position_ >= tiles_.size()) {
        pass_ = 0;
        running_ = false;
        changed_.notify_all();
        return;
    }
    const std::uint64_t generation = generation_;
    const int pass = pass_;
    const ImageRect tile = tiles_[position_];
    const bool dirty = dirty_[position_] != 0;
    const bool firstOfPass = position_ == 0;

    busy_ = true;
    lock.unlock();
    bool rendered = false;
    bool painted = true;
    if (pass == 1 || pass == 2) {
        const bool wanted = dirty && (pass == 2 || !hooks_.isVisible || hooks_.isVisible(tile));
        if (wanted && hooks_.render) {
            painted = hooks_.render(tile);
            rendered = true;
        }
    } else if (pass == 3) {
        if (firstOfPass && hooks_.beginHistogram)
            hooks_.beginHistogram();
        if (hooks_.accumulate)
            hooks_.accumulate(tile);
    }
    lock.lock();
    busy_ = false;
    changed_.notify_all();
    if (generation != generation_)
        return;  // restarted, paused or stopped meanwhile
    if (rendered) {
        dirty_[position_] = 0;
        if (!painted)
            redrawNeeded_ = true;
    }
    Advance(lock);
}

void TileRenderer::Advance(std::unique_lock<std::mutex>& lock)
{
    if (++position_ < tiles_.size())
        return;
    position_ = 0;
    if (pass_ == 1) {
        pass_ = 2;
    } else if (pass_ == 2) {
        pass_ = 3;
        if (redrawNeeded_) {
            redrawNeeded_ = false;
            lock.unlock();
            if (hooks_.redrawAll)
                hooks_.redrawAll();
            lock.lock();
        }
    } else if (pass_ == 3) {
        const std::uint64_t generation = generation_;
        lock.unlock();
        if (hooks_.histogramDone)
            hooks_.histogramDone();
        lock.lock();
        if (generation != generation_)
            return;
        if (AnyDirty()) {
            pass_ = 2;
        } else {
            pass_ = 0;
            running_ = false;
            changed_.notify_all();
        }
    }
}

}  // namespace scanora
