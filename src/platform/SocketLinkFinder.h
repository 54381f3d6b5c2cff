#pragma once

#include <sys/socket.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/BulkDevice.h"
#include "platform/SocketBulkDevice.h"

namespace scanora {

// Connects to a simulated camera served by scanora-camsim over a local stream socket:
// "socket:PATH" (a Unix socket) or "tcp:HOST:PORT" where HOST is a loopback address (127.x.x.x,
// localhost, ::1 or [::1]). The simulator is reachable from this computer only, so any other host
// is refused. Every Open connects anew and greets the simulator, so that one serving another
// program, or one that is stopped, is told apart from a camera that is ours within a few
// seconds.
class SocketLinkFinder final : public BulkDeviceFinder {
public:
    // How long connecting and the greeting may take: a simulator answers at once.
    static constexpr std::chrono::milliseconds kAnswerTimeout{2000};

    // `timeout` bounds every wait of a transfer once the link is open; `answerTimeout` the
    // connection and the greeting.
    explicit SocketLinkFinder(std::string_view spec,
                              std::chrono::milliseconds timeout = SocketBulkDevice::kDefaultTimeout,
                              std::chrono::milliseconds answerTimeout = kAnswerTimeout);

    std::unique_ptr<BulkDevice> Open(DeviceError& why) override;

    // Empty when the link text names a usable endpoint, otherwise why it does not.
    [[nodiscard]] const std::string& SpecError() const { return specError_; }

private:
    struct Address {
        sockaddr_storage storage{};
        socklen_t length = 0;
    };

    void ParseUnix(std::string_view path);
    void ParseTcp(std::string_view hostAndPort);
    template <typename SocketAddress>
    void AddAddress(const SocketAddress& address, socklen_t length);

    std::string spec_;
    std::string listenHint_;  // what to pass to scanora-camsim --listen
    std::string specError_;
    bool tcp_ = false;
    // Why a connected simulator could not be used, from its greeting.
    [[nodiscard]] DeviceError GreetingError(SocketBulkDevice::Greeting greeting) const;
    [[nodiscard]] DeviceError NotAnswering() const;
    [[nodiscard]] std::string Where() const;

    std::vector<Address> addresses_;  // tried in order
    std::chrono::milliseconds timeout_;
    std::chrono::milliseconds answerTimeout_;
};

}  // namespace scanora
