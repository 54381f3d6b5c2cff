#include "platform/SocketLinkFinder.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "platform/UniqueFd.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using ::testing::HasSubstr;

// A listening socket the test accepts from by hand: connect() completes through the backlog, so
// no server thread is needed.
UniqueFd ListenUnix(const std::string& path)
{
    UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (::bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener.Get(), 4) != 0) {
        return {};
    }
    return listener;
}

UniqueFd ListenLoopback(std::uint16_t& port)
{
    UniqueFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener.Get(), 4) != 0 ||
        ::getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return {};
    }
    port = ntohs(address.sin_port);
    return listener;
}

// Plays the simulator's part in opening a link: accepts the connection, reads the greeting (a
// read of no bytes) and answers it with `answer`.
std::future<UniqueFd> AnswerGreeting(const UniqueFd& listener, std::int32_t answer = 0)
{
    return std::async(std::launch::async, [fd = listener.Get(), answer] {
        UniqueFd peer(::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC));
        std::array<std::uint8_t, 5> greeting{};
        if (::recv(peer.Get(), greeting.data(), greeting.size(), MSG_WAITALL) != 5 ||
            greeting != std::array<std::uint8_t, 5>{'R', 0, 0, 0, 0}) {
            return UniqueFd();
        }
        const auto bits = static_cast<std::uint32_t>(answer);
        const std::array<std::uint8_t, 4> bytes{
            static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
        ::send(peer.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        return peer;
    });
}

// One write through a freshly opened link, answered by the test as the simulator would.
void ExpectWorkingLink(BulkDevice& device, std::future<UniqueFd>& greeted)
{
    const UniqueFd peer = greeted.get();
    ASSERT_TRUE(peer.IsValid()) << "the link was not greeted with a read of nothing";
    const std::vector<std::uint8_t> answer{2, 0, 0, 0};
    ASSERT_EQ(::send(peer.Get(), answer.data(), answer.size(), 0), 4);
    const std::vector<std::uint8_t> payload{'O', 'K'};
    EXPECT_EQ(device.BulkWrite(payload), 2);
    std::vector<std::uint8_t> frame(7);
    ASSERT_EQ(::recv(peer.Get(), frame.data(), frame.size(), MSG_WAITALL), 7);
    EXPECT_EQ(frame, (std::vector<std::uint8_t>{'W', 2, 0, 0, 0, 'O', 'K'}));
}

TEST(SocketLinkFinder, ConnectsToAUnixSocket)
{
    const test::TempDir dir;
    const std::string path = (dir.Path() / "camera.sock").string();
    const UniqueFd listener = ListenUnix(path);
    ASSERT_TRUE(listener.IsValid());

    SocketLinkFinder finder("socket:" + path);
    auto greeted = AnswerGreeting(listener);
    DeviceError why;
    const auto device = finder.Open(why);
    ASSERT_NE(device, nullptr) << why.message;
    EXPECT_FALSE(why.IsError());
    ExpectWorkingLink(*device, greeted);
}

TEST(SocketLinkFinder, ConnectsOverLoopbackTcpByAddressAndByName)
{
    std::uint16_t port = 0;
    const UniqueFd listener = ListenLoopback(port);
    ASSERT_TRUE(listener.IsValid());

    for (const std::string host : {"127.0.0.1", "localhost"}) {
        SocketLinkFinder finder("tcp:" + host + ":" + std::to_string(port));
        auto greeted = AnswerGreeting(listener);
        DeviceError why;
        const auto device = finder.Open(why);
        ASSERT_NE(device, nullptr) << host << ": " << why.message;
        ExpectWorkingLink(*device, greeted);
    }
}

TEST(SocketLinkFinder, MissingSocketSaysHowToStartTheSimulator)
{
    const test::TempDir dir;
    const std::string path = (dir.Path() / "nobody.sock").string();
    SocketLinkFinder finder("socket:" + path);
    DeviceError why;
    EXPECT_EQ(finder.Open(why), nullptr);
    EXPECT_EQ(why.kind, DeviceError::Kind::NotPresent);
    EXPECT_EQ(why.message, "No simulated camera is listening on " + path +
                               " (start scanora-camsim --listen " + path + ")");
}

TEST(SocketLinkFinder, EveryOpenConnectsAnew)
{
    const test::TempDir dir;
    const std::string path = (dir.Path() / "late.sock").string();
    SocketLinkFinder finder("socket:" + path);
    DeviceError why;
    EXPECT_EQ(finder.Open(why), nullptr);

    const UniqueFd listener = ListenUnix(path);  // the simulator starts after the first try
    ASSERT_TRUE(listener.IsValid());
    auto greeted = AnswerGreeting(listener);
    EXPECT_NE(finder.Open(why), nullptr) << why.message;
}

TEST(SocketLinkFinder, ASimulatorServingAnotherProgramIsBusy)
{
    const test::TempDir dir;
    const std::string path = (dir.Path() / "camera.sock").string();
    const UniqueFd listener = ListenUnix(path);
    ASSERT_TRUE(listener.IsValid());
    SocketLinkFinder finder("socket:" + path);
    auto refused = AnswerGreeting(listener, SocketBulkDevice::kBusyAnswer);
    DeviceError why;
    EXPECT_EQ(finder.Open(why), nullptr);
    EXPECT_EQ(why.kind, DeviceError::Kind::Busy);
    EXPECT_THAT(why.message, ::testing::StartsWith("The camera is in use by another program"));
    EXPECT_THAT(why.message, HasSubstr(path));
}

TEST(SocketLinkFinder, ASimulatorThatDoesNotAnswerIsFoundOutWithinTheAnswerTime)
{
    // The listener takes connections but nobody serves them, as with a stopped simulator.
    std::uint16_t port = 0;
    const UniqueFd listener = ListenLoopback(port);
    ASSERT_TRUE(listener.IsValid());
    const test::TempDir dir;
    const std::string path = (dir.Path() / "stopped.sock").string();
    const UniqueFd unixListener = ListenUnix(path);
    ASSERT_TRUE(unixListener.IsValid());

    for (const std::string& spec : {"tcp:127.0.0.1:" + std::to_string(port), "socket:" + path}) {
        SocketLinkFinder finder(spec, std::chrono::seconds(60), std::chrono::milliseconds(300));
        const auto start = std::chrono::steady_clock::now();
        DeviceError why;
        EXPECT_EQ(finder.Open(why), nullptr) << spec;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << spec;
        EXPECT_EQ(why.kind, DeviceError::Kind::Failed) << spec;
        EXPECT_THAT(why.message, ::testing::StartsWith("The camera does not answer")) << spec;
        EXPECT_THAT(why.message, HasSubstr("within 300 ms")) << spec;
    }
}

TEST(SocketLinkFinder, APeerThatHangsUpUnansweredIsNoCamera)
{
    const test::TempDir dir;
    const std::string path = (dir.Path() / "camera.sock").string();
    const UniqueFd listener = ListenUnix(path);
    ASSERT_TRUE(listener.IsValid());
    auto hangUp = std::async(std::launch::async, [&] {
        UniqueFd peer(::accept4(listener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
    });
    SocketLinkFinder finder("socket:" + path);
    DeviceError why;
    EXPECT_EQ(finder.Open(why), nullptr);
    EXPECT_EQ(why.kind, DeviceError::Kind::Failed);
    EXPECT_THAT(why.message, HasSubstr("hung up without answering"));
}

TEST(SocketLinkFinder, RefusesHostsOffThisComputer)
{
    for (const char* spec : {"tcp:192.168.1.20:5000", "tcp:example.com:5000", "tcp:0.0.0.0:5000",
                             "tcp:[::ffff:10.0.0.1]:5000", "tcp:localhost.example.com:5000"}) {
        SocketLinkFinder finder(spec);
        DeviceError why;
        EXPECT_EQ(finder.Open(why), nullptr) << spec;
        EXPECT_EQ(why.kind, DeviceError::Kind::Failed) << spec;
        EXPECT_THAT(why.message, HasSubstr("is not a loopback address")) << spec;
    }
}

TEST(SocketLinkFinder, AcceptsEveryLoopbackSpelling)
{
    for (const char* spec : {"tcp:127.0.0.1:5000", "tcp:127.8.9.10:5000", "tcp:LocalHost:5000",
                             "tcp:::1:5000", "tcp:[::1]:5000"}) {
        EXPECT_EQ(SocketLinkFinder(spec).SpecError(), "") << spec;
    }
}

TEST(SocketLinkFinder, MalformedLinksAreRefusedWithAReason)
{
    const std::string longPath(200, 'x');
    const std::vector<std::string> specs{
        "tcp:127.0.0.1", "tcp:127.0.0.1:0", "tcp:127.0.0.1:65536", "tcp:127.0.0.1:12ab",
        "tcp::5000",     "socket:",         "unix:/tmp/x",         "socket:/tmp/" + longPath};
    for (const std::string& spec : specs) {
        SocketLinkFinder finder(spec);
        EXPECT_NE(finder.SpecError(), "") << spec;
        DeviceError why;
        EXPECT_EQ(finder.Open(why), nullptr) << spec;
        EXPECT_EQ(why.kind, DeviceError::Kind::Failed) << spec;
        EXPECT_EQ(why.message, finder.SpecError()) << spec;
    }
}

}  // namespace
}  // namespace scanora
