#pragma once

// What the camsim tests share: a clock driven by hand, a temporary folder, and the host's half of
// a USB command exchange. Command blocks are spelled out byte by byte, as the camera sees them.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "camsim/SimCamera.h"
#include "camsim/SimClock.h"
#include "support/TempDir.h"

namespace camsim::test {

using Bytes = std::vector<std::uint8_t>;

// Reply-ready query and reply read, as the host sends them before every reply.
inline const Bytes kReplyReadyBlock{0x0E, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00};
inline const Bytes kReplyReadBlock{0x0E, 0x01, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00};

// A steady-clock stand-in that moves only when the test says so.
class ManualTime {
public:
    [[nodiscard]] SimTimeSource Source() const
    {
        return [now = now_] { return *now; };
    }
    void Advance(std::chrono::steady_clock::duration step) { *now_ += step; }
    // A waiter that lets the time pass at once: the clock jumps to the moment waited for.
    [[nodiscard]] SimWaiter Waiter() const
    {
        return [now = now_](SimTimePoint moment) { *now = std::max(*now, moment); };
    }
    [[nodiscard]] SimTimePoint Now() const { return *now_; }

private:
    std::shared_ptr<SimTimePoint> now_ = std::make_shared<SimTimePoint>(std::chrono::hours(1));
};

using scanora::test::TempDir;

inline int BulkOut(SimCamera& camera, const Bytes& transfer)
{
    return camera.UsbBulkOut(transfer.data(), transfer.size());
}

// One bulk IN of at most `capacity` bytes; empty when it failed.
inline Bytes BulkIn(SimCamera& camera, std::size_t capacity, int* result = nullptr)
{
    Bytes buffer(capacity);
    const int got = camera.UsbBulkIn(buffer.data(), buffer.size());
    if (result != nullptr)
        *result = got;
    buffer.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return buffer;
}

// The reply-ready bit as the host polls it.
inline bool ReplyWaiting(SimCamera& camera)
{
    EXPECT_EQ(BulkOut(camera, kReplyReadyBlock), 8);
    const Bytes answer = BulkIn(camera, 6);
    EXPECT_EQ(answer.size(), 6u);
    return !answer.empty() && (answer[0] & 0x10) != 0;
}

// Reads the 1024-byte reply block and returns its text up to the carriage return.
inline std::string ReadReply(SimCamera& camera)
{
    EXPECT_EQ(BulkOut(camera, kReplyReadBlock), 8);
    const Bytes block = BulkIn(camera, 1024);
    EXPECT_EQ(block.size(), 1024u);
    std::string text;
    for (const std::uint8_t byte : block) {
        if (byte == '\r' || byte == 0)
            break;
        text.push_back(static_cast<char>(byte));
    }
    return text;
}

// Sends one text command transfer (block and text) and returns the reply.
inline std::string Exchange(SimCamera& camera, const Bytes& transfer)
{
    EXPECT_EQ(BulkOut(camera, transfer), static_cast<int>(transfer.size()));
    EXPECT_TRUE(ReplyWaiting(camera));
    return ReadReply(camera);
}

}  // namespace camsim::test
