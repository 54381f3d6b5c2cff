#include "platform/SocketLinkFinder.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>

#include "platform/UniqueFd.h"

namespace scanora {

namespace {

constexpr std::string_view kUnixPrefix = "socket:";
constexpr std::string_view kTcpPrefix = "tcp:";

bool IsLocalhost(std::string_view host)
{
    constexpr std::string_view kName = "localhost";
    if (host.size() != kName.size()) {
        return false;
    }
    for (std::size_t i = 0; i < host.size(); ++i) {
        const char c = host[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kName[i]) {
            return false;
        }
    }
    return true;
}

std::string ErrorText(int error)
{
    return std::error_code(error, std::generic_category()).message();
}

// Connects a non-blocking socket within `timeout` (a simulator that accepts nothing must not hang
// the caller), then makes it blocking again. Returns 0 or the errno of the failure.
int ConnectSocket(int fd, const sockaddr* address, socklen_t length,
                  std::chrono::milliseconds timeout)
{
    if (::connect(fd, address, length) != 0) {
        if (errno != EINPROGRESS && errno != EINTR) {
            return errno;
        }
        pollfd pending{fd, POLLOUT, 0};
        const auto ms = static_cast<int>(std::min<std::chrono::milliseconds::rep>(
            timeout.count(), std::numeric_limits<int>::max()));
        int ready = 0;
        while ((ready = ::poll(&pending, 1, ms)) < 0) {
            if (errno != EINTR) {
                return errno;
            }
        }
        if (ready == 0) {
            return ETIMEDOUT;
        }
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
            return errno;
        }
        if (error != 0) {
            return error;
        }
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return errno;
    }
    return 0;
}

}  // namespace

SocketLinkFinder::SocketLinkFinder(std::string_view spec, std::chrono::milliseconds timeout,
                                   std::chrono::milliseconds answerTimeout)
    : spec_(spec), timeout_(timeout), answerTimeout_(answerTimeout)
{
    if (spec.starts_with(kUnixPrefix)) {
        ParseUnix(spec.substr(kUnixPrefix.size()));
    } else if (spec.starts_with(kTcpPrefix)) {
        tcp_ = true;
        ParseTcp(spec.substr(kTcpPrefix.size()));
    } else {
        specError_ = "Not a socket link: \"" + spec_ + "\" (expected socket:PATH or tcp:HOST:PORT)";
    }
}

void SocketLinkFinder::ParseUnix(std::string_view path)
{
    sockaddr_un local{};
    if (path.empty() || path.find('\0') != std::string_view::npos) {
        specError_ = "Not a socket path: \"" + spec_ + "\" (expected socket:PATH)";
        return;
    }
    if (path.size() >= sizeof local.sun_path) {
        specError_ = "The socket path is too long (at most " +
                     std::to_string(sizeof local.sun_path - 1) +
                     " characters): " + std::string(path);
        return;
    }
    local.sun_family = AF_UNIX;
    std::memcpy(local.sun_path, path.data(), path.size());
    AddAddress(local, static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1));
    listenHint_ = std::string(path);
}

void SocketLinkFinder::ParseTcp(std::string_view hostAndPort)
{
    const auto colon = hostAndPort.rfind(':');
    if (colon == std::string_view::npos || colon == 0) {
        specError_ = "Not a TCP endpoint: \"" + spec_ + "\" (expected tcp:HOST:PORT)";
        return;
    }
    std::string_view host = hostAndPort.substr(0, colon);
    const std::string_view portText = hostAndPort.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }

    unsigned port = 0;
    const auto [end, ec] =
        std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (ec != std::errc{} || end != portText.data() + portText.size() || port == 0 ||
        port > 65535) {
        specError_ = "Not a TCP port: \"" + std::string(portText) + "\" in \"" + spec_ +
                     "\" (expected 1 to 65535)";
        return;
    }

    const auto addIpv4 = [&](const in_addr& ip) {
        sockaddr_in v4{};
        v4.sin_family = AF_INET;
        v4.sin_port = htons(static_cast<std::uint16_t>(port));
        v4.sin_addr = ip;
        AddAddress(v4, sizeof v4);
    };
    const auto addIpv6 = [&](const in6_addr& ip) {
        sockaddr_in6 v6{};
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(static_cast<std::uint16_t>(port));
        v6.sin6_addr = ip;
        AddAddress(v6, sizeof v6);
    };

    // Only numeric loopback addresses and "localhost" are taken; no name is ever looked up, so
    // a resolver can never send the camera link off this computer.
    const std::string hostText(host);
    in_addr v4{};
    in6_addr v6{};
    if (IsLocalhost(host)) {
        v4.s_addr = htonl(INADDR_LOOPBACK);
        addIpv4(v4);
        addIpv6(in6addr_loopback);
    } else if (::inet_pton(AF_INET, hostText.c_str(), &v4) == 1 &&
               (ntohl(v4.s_addr) >> 24) == 127) {
        addIpv4(v4);
    } else if (::inet_pton(AF_INET6, hostText.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6)) {
        addIpv6(v6);
    } else {
        specError_ = "The simulated camera must run on this computer: \"" + hostText +
                     "\" is not a loopback address (use 127.0.0.1, localhost or ::1)";
        return;
    }
    listenHint_ = spec_;
}

template <typename SocketAddress>
void SocketLinkFinder::AddAddress(const SocketAddress& address, socklen_t length)
{
    static_assert(sizeof(SocketAddress) <= sizeof(sockaddr_storage));
    Address stored;
    std::memcpy(&stored.storage, &address, sizeof address);
    stored.length = length;
    addresses_.push_back(stored);
}

std::unique_ptr<BulkDevice> SocketLinkFinder::Open(DeviceError& why)
{
    why = {};
    if (!specError_.empty()) {
        why = {DeviceError::Kind::Failed, specError_};
        return nullptr;
    }

    int firstError = 0;
    for (const Address& address : addresses_) {
        const int family = address.storage.ss_family;
        UniqueFd socket(::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        if (!socket.IsValid()) {
            firstError = firstError != 0 ? firstError : errno;
            continue;
        }
        const int error =
            ConnectSocket(socket.Get(), reinterpret_cast<const sockaddr*>(&address.storage),
                          address.length, answerTimeout_);
        if (error == 0) {
            if (tcp_) {
                const int on = 1;  // frames are small and answered one by one
                ::setsockopt(socket.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            }
            auto device = std::make_unique<SocketBulkDevice>(std::move(socket), timeout_);
            const SocketBulkDevice::Greeting greeting = device->Greet(answerTimeout_);
            if (greeting == SocketBulkDevice::Greeting::Ready) {
                return device;
            }
            why = GreetingError(greeting);
            return nullptr;
        }
        firstError = firstError != 0 ? firstError : error;
    }

    switch (firstError) {
    case ENOENT:
    case ECONNREFUSED:
    case ENOTSOCK:
        why = {DeviceError::Kind::NotPresent, "No simulated camera is listening on " + Where() +
                                                  " (start scanora-camsim --listen " + listenHint_ +
                                                  ")"};
        break;
    case EACCES:
    case EPERM:
        why = {DeviceError::Kind::NoPermission,
               "This user may not connect to the simulated camera at " + Where() +
                   " (check the permissions of the socket and its folder)"};
        break;
    case EAGAIN:  // a Unix socket whose simulator takes no more connections
    case ETIMEDOUT: why = NotAnswering(); break;
    default:
        why = {DeviceError::Kind::Failed, "Could not connect to the simulated camera at " +
                                              Where() + ": " + ErrorText(firstError)};
        break;
    }
    return nullptr;
}

std::string SocketLinkFinder::Where() const
{
    return tcp_ ? spec_.substr(kTcpPrefix.size()) : listenHint_;
}

DeviceError SocketLinkFinder::NotAnswering() const
{
    const auto ms = answerTimeout_.count();
    const std::string wait = ms % 1000 != 0 ? std::to_string(ms) + " ms"
                             : ms == 1000   ? std::string("1 second")
                                            : std::to_string(ms / 1000) + " seconds";
    return {DeviceError::Kind::Failed, "The camera does not answer: the simulated camera at " +
                                           Where() + " sent nothing within " + wait +
                                           " (is scanora-camsim stopped?)"};
}

DeviceError SocketLinkFinder::GreetingError(SocketBulkDevice::Greeting greeting) const
{
    switch (greeting) {
    case SocketBulkDevice::Greeting::Busy:
        return {DeviceError::Kind::Busy,
                "The camera is in use by another program: the simulated camera at " + Where() +
                    " serves one program at a time. Close the other one and try again."};
    case SocketBulkDevice::Greeting::Silent: return NotAnswering();
    case SocketBulkDevice::Greeting::Ready:
    case SocketBulkDevice::Greeting::Broken: break;
    }
    return {DeviceError::Kind::Failed,
            "The simulated camera at " + Where() + " hung up without answering"};
}

}  // namespace scanora
