#include "camsim/SimServer.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "camsim/UsbLinkSession.h"

namespace camsim {

namespace {

constexpr int kBacklog = 4;
constexpr std::string_view kTcpPrefix = "tcp:";
constexpr std::string_view kSocketPrefix = "socket:";

std::string SystemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

// True when someone accepts connections on the Unix socket at `address`.
bool IsListening(const sockaddr_un& address)
{
    const FileDescriptor probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return probe.IsValid() &&
           ::connect(probe.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

bool IsLoopback(const sockaddr_in& address)
{
    return (ntohl(address.sin_addr.s_addr) >> 24) == 127;
}

// Where to listen: a Unix socket path, or a loopback TCP port.
struct ListenAddress {
    bool tcp = false;
    std::string path;
    std::uint16_t port = 0;
};

std::optional<ListenAddress> ParseEndpoint(std::string_view endpoint, std::string& error)
{
    ListenAddress address;
    if (!endpoint.starts_with(kTcpPrefix)) {
        if (endpoint.starts_with(kSocketPrefix))
            endpoint.remove_prefix(kSocketPrefix.size());
        if (endpoint.empty() || endpoint.size() >= sizeof sockaddr_un::sun_path) {
            error = "the socket path must be 1 to " +
                    std::to_string(sizeof sockaddr_un::sun_path - 1) + " characters long";
            return std::nullopt;
        }
        address.path = std::string(endpoint);
        return address;
    }
    endpoint.remove_prefix(kTcpPrefix.size());
    const std::size_t colon = endpoint.rfind(':');
    const std::string_view host = endpoint.substr(0, colon);
    const std::string_view portText =
        colon == std::string_view::npos ? std::string_view() : endpoint.substr(colon + 1);
    unsigned port = 0;
    const char* end = portText.data() + portText.size();
    const auto parsed = std::from_chars(portText.data(), end, port);
    if (portText.empty() || parsed.ec != std::errc() || parsed.ptr != end || port > 65535) {
        error = "a TCP endpoint reads tcp:127.0.0.1:PORT with a port from 0 to 65535";
        return std::nullopt;
    }
    if (host != "127.0.0.1" && host != "localhost") {
        error = "the simulator listens on the loopback address only (tcp:127.0.0.1:PORT), not " +
                std::string(host);
        return std::nullopt;
    }
    address.tcp = true;
    address.port = static_cast<std::uint16_t>(port);
    return address;
}

}  // namespace

SimServer::SimServer(SimCamera& camera) : camera_(camera)
{
}

SimServer::~SimServer()
{
    Stop();
}

bool SimServer::CheckEndpoint(std::string_view endpoint, std::string& error)
{
    return ParseEndpoint(endpoint, error).has_value();
}

bool SimServer::Start(std::string_view endpoint, std::string& error)
{
    if (listener_.IsValid()) {
        error = "the simulator is already listening on " + endpoint_;
        return false;
    }
    const std::optional<ListenAddress> address = ParseEndpoint(endpoint, error);
    if (!address)
        return false;
    const bool listening =
        address->tcp ? ListenTcp(address->port, error) : ListenUnix(address->path, error);
    if (!listening)
        return false;
    stopEvent_ = FileDescriptor(::eventfd(0, EFD_CLOEXEC));
    if (!stopEvent_.IsValid()) {
        error = SystemError("cannot create the stop event");
        Stop();
        return false;
    }
    thread_ = std::thread([this] { Serve(); });
    return true;
}

bool SimServer::ListenUnix(const std::string& path, std::string& error)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    // A socket file left behind by a simulator that is gone is replaced; anything else stays.
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) {
            error = path + " exists and is not a socket";
            return false;
        }
        if (IsListening(address)) {
            error = "another program already listens on " + path;
            return false;
        }
        ::unlink(path.c_str());
    }

    listener_ = FileDescriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listener_.IsValid() ||
        ::bind(listener_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = SystemError("cannot listen on " + path);
        listener_.Reset();
        return false;
    }
    socketPath_ = path;
    ::chmod(path.c_str(), S_IRUSR | S_IWUSR);  // only this user's programs may connect
    if (::listen(listener_.Get(), kBacklog) != 0) {
        error = SystemError("cannot listen on " + path);
        Stop();
        return false;
    }
    endpoint_ = path;
    tcp_ = false;
    return true;
}

bool SimServer::ListenTcp(std::uint16_t port, std::string& error)
{
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bound.sin_port = htons(port);
    listener_ = FileDescriptor(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int reuse = 1;
    socklen_t length = sizeof bound;
    if (!listener_.IsValid() ||
        ::setsockopt(listener_.Get(), SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) != 0 ||
        ::bind(listener_.Get(), reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        ::listen(listener_.Get(), kBacklog) != 0 ||
        ::getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        error = SystemError("cannot listen on 127.0.0.1 port " + std::to_string(port));
        listener_.Reset();
        return false;
    }
    endpoint_ = "tcp:127.0.0.1:" + std::to_string(ntohs(bound.sin_port));
    tcp_ = true;
    return true;
}

void SimServer::Serve()
{
    HostRefusals refusals;
    std::vector<pollfd> fds;
    while (true) {
        fds = {{listener_.Get(), POLLIN, 0}, {stopEvent_.Get(), POLLIN, 0}};
        refusals.AddPollEntries(fds);
        if (::poll(fds.data(), fds.size(), refusals.PollTimeoutMs()) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents != 0)
            break;
        refusals.Handle(std::span(fds).subspan(2));
        if (fds[0].revents != 0)
            Accept(refusals);
    }
    EndSession();
}

void SimServer::Accept(HostRefusals& refusals)
{
    sockaddr_in peer{};
    socklen_t peerLength = sizeof peer;
    FileDescriptor host(::accept4(listener_.Get(),
                                  tcp_ ? reinterpret_cast<sockaddr*>(&peer) : nullptr,
                                  tcp_ ? &peerLength : nullptr, SOCK_CLOEXEC));
    if (!host.IsValid()) {
        // Out of descriptors or the like: do not spin on a listener that stays readable.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return;
    }
    if (tcp_) {
        if (!IsLoopback(peer))
            return;
        // Frames are small and answered one by one: send each at once.
        const int noDelay = 1;
        ::setsockopt(host.Get(), IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    }
    if (SessionRunning())
        refusals.Refuse(std::move(host));
    else
        StartSession(std::move(host));
}

bool SimServer::SessionRunning()
{
    if (!session_.joinable())
        return false;
    if (!sessionDone_.load()) {
        // A host that has hung up is gone, even if its session has not noticed yet: it ends as
        // soon as it looks, and the newcomer is served rather than refused.
        pollfd state{host_.Get(), POLLRDHUP, 0};
        const bool hungUp =
            ::poll(&state, 1, 0) > 0 && (state.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
        if (!hungUp)
            return true;
    }
    EndSession();
    return false;
}

void SimServer::StartSession(FileDescriptor host)
{
    host_ = std::move(host);
    sessionDone_.store(false);
    session_ = std::thread([this, socket = host_.Get(), stop = stopEvent_.Get()] {
        UsbLinkSession(camera_, socket, stop).Run();
        // The host learns at once that it was let go; the descriptor stays open until the
        // server has joined this thread, so its number cannot be taken meanwhile.
        ::shutdown(socket, SHUT_RDWR);
        sessionDone_.store(true);
    });
}

void SimServer::EndSession()
{
    if (session_.joinable())
        session_.join();
    host_.Reset();
}

void SimServer::Stop()
{
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(stopEvent_.Get(), &one, sizeof one);
        thread_.join();
    }
    listener_.Reset();
    stopEvent_.Reset();
    if (!socketPath_.empty()) {
        ::unlink(socketPath_.c_str());
        socketPath_.clear();
    }
}

}  // namespace camsim
