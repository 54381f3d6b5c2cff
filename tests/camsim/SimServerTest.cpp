#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "CamsimTestHelpers.h"
#include "camsim/FileDescriptor.h"
#include "camsim/SimCamera.h"
#include "camsim/SimServer.h"
#include "platform/SocketBulkDevice.h"

namespace camsim::test {
namespace {

// A tiny host: connects and exchanges raw frame bytes with the simulator.
class Host {
public:
    explicit Host(const std::string& endpoint)
    {
        if (endpoint.starts_with("tcp:")) {
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(
                static_cast<std::uint16_t>(std::stoi(endpoint.substr(endpoint.rfind(':') + 1))));
            socket_ = FileDescriptor(::socket(AF_INET, SOCK_STREAM, 0));
            connected_ = ::connect(socket_.Get(), reinterpret_cast<sockaddr*>(&address),
                                   sizeof address) == 0;
        } else {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, endpoint.c_str(), sizeof address.sun_path - 1);
            socket_ = FileDescriptor(::socket(AF_UNIX, SOCK_STREAM, 0));
            connected_ = ::connect(socket_.Get(), reinterpret_cast<sockaddr*>(&address),
                                   sizeof address) == 0;
        }
        timeval limit{2, 0};  // a hung simulator fails the test instead of hanging it
        ::setsockopt(socket_.Get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    }

    [[nodiscard]] bool Connected() const { return connected_; }

    void Send(const Bytes& bytes)
    {
        ASSERT_EQ(::send(socket_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }

    // Exactly `count` bytes; fewer when the simulator hung up.
    Bytes Receive(std::size_t count)
    {
        Bytes bytes(count);
        std::size_t done = 0;
        while (done < count) {
            const ssize_t got = ::recv(socket_.Get(), bytes.data() + done, count - done, 0);
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
        return bytes;
    }

    // True when the simulator has closed the connection (a reset counts: it closed with our
    // bytes unread).
    bool HungUp()
    {
        std::uint8_t byte = 0;
        const ssize_t got = ::recv(socket_.Get(), &byte, 1, 0);
        return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    }

private:
    FileDescriptor socket_;
    bool connected_ = false;
};

SimConfig FastConfig()
{
    SimConfig config;
    config.speed = 0.0;
    return config;
}

// "MM\r" through the frames: W with the text block, W ready block, R 6, W read block, R 1024.
void IdentifyThroughFrames(Host& host)
{
    host.Send({'W', 11, 0, 0, 0, 0x0D, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 'M', 'M', '\r'});
    EXPECT_EQ(host.Receive(4), (Bytes{11, 0, 0, 0}));
    host.Send({'W', 8, 0, 0, 0, 0x0E, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(host.Receive(4), (Bytes{8, 0, 0, 0}));
    host.Send({'R', 6, 0, 0, 0});
    EXPECT_EQ(host.Receive(4), (Bytes{6, 0, 0, 0}));
    EXPECT_EQ(host.Receive(6), (Bytes{0x10, 0, 0, 0, 0, 0}));
    host.Send({'W', 8, 0, 0, 0, 0x0E, 0x01, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(host.Receive(4), (Bytes{8, 0, 0, 0}));
    host.Send({'R', 0x00, 0x04, 0, 0});
    EXPECT_EQ(host.Receive(4), (Bytes{0x00, 0x04, 0, 0}));
    const Bytes reply = host.Receive(1024);
    ASSERT_EQ(reply.size(), 1024u);
    EXPECT_EQ(std::string(reply.begin(), reply.begin() + 4), "MM6\r");
}

TEST(SimServer, CarriesBulkTransfersOverAUnixSocket)
{
    TempDir dir;
    const std::string path = (dir.Path() / "camera").string();
    SimCamera camera(FastConfig());
    SimServer server(camera);
    std::string error;
    ASSERT_TRUE(server.Start(path, error)) << error;
    EXPECT_EQ(server.Endpoint(), path);

    Host host(path);
    ASSERT_TRUE(host.Connected());
    IdentifyThroughFrames(host);

    // A failed transfer answers a negative count and no bytes; the session goes on.
    host.Send({'R', 16, 0, 0, 0});
    EXPECT_EQ(host.Receive(4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    host.Send({'W', 3, 0, 0, 0, 0x0E, 0x00, 0x00});
    EXPECT_EQ(host.Receive(4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    IdentifyThroughFrames(host);

    server.Stop();
    EXPECT_FALSE(std::filesystem::exists(path)) << "the socket file goes with the server";
}

TEST(SimServer, NextHostFindsTheSameCamera)
{
    TempDir dir;
    const std::string path = (dir.Path() / "camera").string();
    SimCamera camera(FastConfig());
    SimServer server(camera);
    std::string error;
    ASSERT_TRUE(server.Start(path, error)) << error;
    {
        Host first(path);
        first.Send({'W',  15,   0,    0,   0,   0x0D, 0x00, 0x00, 0x07, 0x00,
                    0x00, 0x00, 0x00, 'M', 'D', '1',  '2',  '3',  '4',  '\r'});
        EXPECT_EQ(first.Receive(4), (Bytes{15, 0, 0, 0}));
    }
    Host second(path);
    ASSERT_TRUE(second.Connected());
    second.Send({'W', 8, 0, 0, 0, 0x0E, 0x01, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(second.Receive(4), (Bytes{8, 0, 0, 0}));
    second.Send({'R', 0x00, 0x04, 0, 0});
    EXPECT_EQ(second.Receive(4), (Bytes{0x00, 0x04, 0, 0}));
    const Bytes reply = second.Receive(1024);
    ASSERT_EQ(reply.size(), 1024u);
    EXPECT_EQ(std::string(reply.begin(), reply.begin() + 7), "MD1234\r")
        << "the reply the first host left waiting";
    EXPECT_EQ(camera.ReceivedCommands(), std::vector<std::string>{"MD1234"});
}

TEST(SimServer, DropsAHostThatSendsGarbageAndServesTheNext)
{
    TempDir dir;
    const std::string path = (dir.Path() / "camera").string();
    SimCamera camera(FastConfig());
    SimServer server(camera);
    std::string error;
    ASSERT_TRUE(server.Start(path, error)) << error;

    Host garbage(path);
    garbage.Send({'X', 1, 2, 3});
    EXPECT_TRUE(garbage.HungUp());

    Host greedy(path);
    greedy.Send({'R', 0x01, 0x00, 0x00, 0x04});  // 64 MiB + 1
    EXPECT_TRUE(greedy.HungUp());

    Host next(path);
    IdentifyThroughFrames(next);
}

Bytes LittleEndian(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

// The host and the simulator share no code, only this number.
static_assert(HostRefusals::kBusyAnswer == scanora::SocketBulkDevice::kBusyAnswer);

TEST(SimServer, AReadOfNothingIsAnsweredWithoutTheCamera)
{
    TempDir dir;
    const std::string path = (dir.Path() / "camera").string();
    SimCamera camera(FastConfig());
    SimServer server(camera);
    std::string error;
    ASSERT_TRUE(server.Start(path, error)) << error;
    Host host(path);
    host.Send({'R', 0, 0, 0, 0});
    EXPECT_EQ(host.Receive(4), LittleEndian(0));
    IdentifyThroughFrames(host);
    host.Send({'R', 0, 0, 0, 0});
    EXPECT_EQ(host.Receive(4), LittleEndian(0));
    EXPECT_EQ(camera.ReceivedCommands(), std::vector<std::string>{"MM"});
}

TEST(SimServer, AnotherHostIsRefusedAtOnceWhileOneIsServed)
{
    for (const std::string& endpoint : {std::string("unix"), std::string("tcp:127.0.0.1:0")}) {
        TempDir dir;
        SimCamera camera(FastConfig());
        SimServer server(camera);
        std::string error;
        ASSERT_TRUE(
            server.Start(endpoint == "unix" ? (dir.Path() / "camera").string() : endpoint, error))
            << error;
        Host first(server.Endpoint());
        IdentifyThroughFrames(first);

        for (int attempt = 0; attempt < 3; ++attempt) {
            const auto start = std::chrono::steady_clock::now();
            Host second(server.Endpoint());
            ASSERT_TRUE(second.Connected());
            second.Send({'W', 11, 0, 0, 0, 0x0D, 0, 0, 3, 0, 0, 0, 0, 'C', 'S', '\r'});
            EXPECT_EQ(second.Receive(4), LittleEndian(HostRefusals::kBusyAnswer)) << endpoint;
            EXPECT_TRUE(second.HungUp()) << endpoint;
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        }
        // The refused hosts reached nothing; the first one is served as before.
        IdentifyThroughFrames(first);
        EXPECT_EQ(camera.ReceivedCommands(), (std::vector<std::string>{"MM", "MM"})) << endpoint;
    }
}

TEST(SimServer, AHostThatHasLeftMakesRoomForTheNextAtOnce)
{
    TempDir dir;
    const std::string path = (dir.Path() / "camera").string();
    SimCamera camera(FastConfig());
    SimServer server(camera);
    std::string error;
    ASSERT_TRUE(server.Start(path, error)) << error;
    for (int host = 0; host < 20; ++host) {
        Host next(path);
        next.Send({'R', 0, 0, 0, 0});
        ASSERT_EQ(next.Receive(4), LittleEndian(0)) << "host " << host << " was refused";
    }
}

TEST(SimServer, ListensOnLoopbackTcpWithAChosenPort)
{
    SimCamera camera(FastConfig());
    SimServer server(camera);
    std::string error;
    ASSERT_TRUE(server.Start("tcp:127.0.0.1:0", error)) << error;
    ASSERT_TRUE(server.Endpoint().starts_with("tcp:127.0.0.1:"));
    EXPECT_NE(server.Endpoint(), "tcp:127.0.0.1:0");
    Host host(server.Endpoint());
    ASSERT_TRUE(host.Connected());
    IdentifyThroughFrames(host);
}

TEST(SimServer, RefusesEndpointsItMustNotUse)
{
    SimCamera camera(FastConfig());
    std::string error;
    for (const char* endpoint : {"tcp:192.168.1.20:4000", "tcp:0.0.0.0:4000", "tcp:127.0.0.1:65536",
                                 "tcp:127.0.0.1:", "tcp:127.0.0.1", ""}) {
        SimServer server(camera);
        EXPECT_FALSE(server.Start(endpoint, error)) << endpoint;
        EXPECT_FALSE(error.empty());
    }

    TempDir dir;
    const std::filesystem::path file = dir.Path() / "notes.txt";
    std::ofstream(file) << "keep me";
    SimServer server(camera);
    EXPECT_FALSE(server.Start(file.string(), error));
    EXPECT_TRUE(std::filesystem::exists(file)) << "a file that is no socket is left alone";

    const std::string path = (dir.Path() / "camera").string();
    SimServer first(camera);
    ASSERT_TRUE(first.Start(path, error)) << error;
    SimServer second(camera);
    EXPECT_FALSE(second.Start(path, error)) << "the path is in use";
}

}  // namespace
}  // namespace camsim::test
