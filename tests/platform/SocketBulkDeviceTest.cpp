#include "platform/SocketBulkDevice.h"

#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <numeric>
#include <vector>

namespace scanora {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

Bytes LittleEndian(std::uint32_t value)
{
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// The simulator's end of a socket pair. Frames are small enough to sit in the socket buffers,
// so the test queues the peer's answer first, lets the device run, then looks at what it sent.
class SocketBulkDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::array<int, 2> fds{};
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds.data()), 0);
        device_ = std::make_unique<SocketBulkDevice>(UniqueFd(fds[0]), 200ms);
        peer_.Reset(fds[1]);
    }

    void Answer(const Bytes& bytes) const
    {
        ASSERT_EQ(::send(peer_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }

    // Everything the device has sent so far (it never blocks: the device's calls have returned).
    Bytes Received() const
    {
        Bytes all;
        std::array<std::uint8_t, 4096> chunk{};
        for (;;) {
            const ssize_t got = ::recv(peer_.Get(), chunk.data(), chunk.size(), MSG_DONTWAIT);
            if (got <= 0) {
                return all;
            }
            all.insert(all.end(), chunk.begin(), chunk.begin() + got);
        }
    }

    // True when the device has closed its end.
    bool PeerSeesClose() const
    {
        std::uint8_t byte = 0;
        return ::recv(peer_.Get(), &byte, 1, MSG_DONTWAIT) == 0;
    }

    std::unique_ptr<SocketBulkDevice> device_;
    UniqueFd peer_;
};

TEST_F(SocketBulkDeviceTest, WriteSendsOneFrameAndReturnsTheBytesTaken)
{
    Bytes payload(261);  // more than 255, so the length needs two bytes
    std::iota(payload.begin(), payload.end(), std::uint8_t{0});
    Answer(LittleEndian(261));

    EXPECT_EQ(device_->BulkWrite(payload), 261);
    EXPECT_EQ(Received(), Concat({{'W'}, {0x05, 0x01, 0x00, 0x00}, payload}));
    EXPECT_FALSE(device_->IsGone());
}

TEST_F(SocketBulkDeviceTest, ReadSendsItsRequestAndFillsOnlyWhatCame)
{
    Answer(Concat({LittleEndian(3), {0xAA, 0xBB, 0xCC}}));
    Bytes buffer(0x10203, 0x55);

    EXPECT_EQ(device_->BulkRead(buffer), 3);
    EXPECT_EQ(Received(), Concat({{'R'}, {0x03, 0x02, 0x01, 0x00}}));
    EXPECT_EQ(buffer[0], 0xAA);
    EXPECT_EQ(buffer[2], 0xCC);
    EXPECT_EQ(buffer[3], 0x55);
    EXPECT_FALSE(device_->IsGone());
}

TEST_F(SocketBulkDeviceTest, NegativeAnswersFailTheTransferButKeepTheLink)
{
    Answer(LittleEndian(static_cast<std::uint32_t>(-7)));
    const Bytes command{0x0D, 0, 0, 2, 0, 0, 0, 0, 'C', 'S'};
    EXPECT_LT(device_->BulkWrite(command), 0);

    Answer(LittleEndian(static_cast<std::uint32_t>(-1)));  // no data follows a failed read
    Bytes buffer(6, 0x55);
    EXPECT_LT(device_->BulkRead(buffer), 0);
    EXPECT_EQ(buffer, Bytes(6, 0x55));
    EXPECT_FALSE(device_->IsGone());

    // The framing is still in step: the next read gets its own answer.
    Answer(Concat({LittleEndian(1), {0x10}}));
    EXPECT_EQ(device_->BulkRead(buffer), 1);
    EXPECT_EQ(buffer[0], 0x10);
}

TEST_F(SocketBulkDeviceTest, AnswersLargerThanTheRequestDropTheLink)
{
    // A read answer of 7 bytes for a 6-byte buffer must never be copied into it.
    Answer(Concat({LittleEndian(7), Bytes(7, 0xEE)}));
    Bytes buffer(6, 0x55);
    EXPECT_LT(device_->BulkRead(buffer), 0);
    EXPECT_EQ(buffer, Bytes(6, 0x55));
    EXPECT_TRUE(device_->IsGone());
    Received();
    EXPECT_TRUE(PeerSeesClose());

    // Every later transfer fails at once, without touching the socket.
    EXPECT_LT(device_->BulkWrite(Bytes(8)), 0);
    EXPECT_LT(device_->BulkRead(buffer), 0);
}

TEST_F(SocketBulkDeviceTest, WriteTakingMoreThanSentDropsTheLink)
{
    Answer(LittleEndian(9));
    EXPECT_LT(device_->BulkWrite(Bytes(8)), 0);
    EXPECT_TRUE(device_->IsGone());
}

TEST_F(SocketBulkDeviceTest, PeerClosingMidFrameDropsTheLink)
{
    Answer(Concat({LittleEndian(10), {1, 2, 3, 4}}));  // 10 bytes announced, 4 sent
    ::shutdown(peer_.Get(), SHUT_WR);
    Bytes buffer(16);
    EXPECT_LT(device_->BulkRead(buffer), 0);
    EXPECT_TRUE(device_->IsGone());
}

TEST_F(SocketBulkDeviceTest, PeerClosingInsideTheAnswerDropsTheLink)
{
    Answer({0x08, 0x00});  // half of the i32
    ::shutdown(peer_.Get(), SHUT_WR);
    EXPECT_LT(device_->BulkWrite(Bytes(8)), 0);
    EXPECT_TRUE(device_->IsGone());
}

TEST_F(SocketBulkDeviceTest, WriteToAClosedPeerFailsWithoutSignal)
{
    peer_.Reset();
    EXPECT_LT(device_->BulkWrite(Bytes(100000)), 0);  // would raise SIGPIPE without care
    EXPECT_TRUE(device_->IsGone());
}

TEST_F(SocketBulkDeviceTest, SilentPeerTimesOutInsteadOfHanging)
{
    const auto start = std::chrono::steady_clock::now();
    Bytes buffer(6);
    EXPECT_LT(device_->BulkRead(buffer), 0);
    EXPECT_TRUE(device_->IsGone());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST_F(SocketBulkDeviceTest, GreetingReadsNothingAndFindsAFreeCamera)
{
    Answer(LittleEndian(0));
    EXPECT_EQ(device_->Greet(1s), SocketBulkDevice::Greeting::Ready);
    EXPECT_EQ(Received(), Concat({{'R'}, LittleEndian(0)}));
    // An older simulator fails a read of nothing; it still answers, so the link is ours.
    Answer(LittleEndian(static_cast<std::uint32_t>(-1)));
    EXPECT_EQ(device_->Greet(1s), SocketBulkDevice::Greeting::Ready);
    EXPECT_FALSE(device_->IsGone());

    // The transfers' own time-out is back after the greeting's.
    const auto start = std::chrono::steady_clock::now();
    Bytes buffer(6);
    EXPECT_LT(device_->BulkRead(buffer), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
}

TEST_F(SocketBulkDeviceTest, GreetingTellsABusyCameraFromASilentOrBrokenOne)
{
    Answer(LittleEndian(static_cast<std::uint32_t>(SocketBulkDevice::kBusyAnswer)));
    ::shutdown(peer_.Get(), SHUT_RDWR);
    EXPECT_EQ(device_->Greet(1s), SocketBulkDevice::Greeting::Busy);
    EXPECT_TRUE(device_->IsGone());
    std::array<std::uint8_t, 4> buffer{};
    EXPECT_LT(device_->BulkRead(buffer), 0);
}

TEST(SocketBulkDevice, GreetingGivesUpOnASilentPeerWithinItsOwnLimit)
{
    std::array<int, 2> fds{};
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds.data()), 0);
    const UniqueFd peer(fds[1]);
    SocketBulkDevice device{UniqueFd(fds[0]), 20s};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device.Greet(100ms), SocketBulkDevice::Greeting::Silent);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "not the transfers' 20 s";
    EXPECT_TRUE(device.IsGone());
}

TEST_F(SocketBulkDeviceTest, GreetingAnsweredWithBytesOrAHangUpIsBroken)
{
    Answer(Concat({LittleEndian(2), {1, 2}}));
    EXPECT_EQ(device_->Greet(1s), SocketBulkDevice::Greeting::Broken);
    EXPECT_TRUE(device_->IsGone());

    SetUp();
    ::shutdown(peer_.Get(), SHUT_WR);
    EXPECT_EQ(device_->Greet(1s), SocketBulkDevice::Greeting::Broken);
}

TEST(SocketBulkDevice, WithoutASocketIsGoneFromTheStart)
{
    SocketBulkDevice device{UniqueFd()};
    EXPECT_TRUE(device.IsGone());
    std::array<std::uint8_t, 4> buffer{};
    EXPECT_LT(device.BulkRead(buffer), 0);
}

}  // namespace
}  // namespace scanora
