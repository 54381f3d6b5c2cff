#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

#include "camsim/FileDescriptor.h"
#include "camsim/HostRefusals.h"
#include "camsim/SimCamera.h"

namespace camsim {

// Serves a simulated camera's USB link over a stream socket, so that a host program in another
// process can use it (see UsbLinkSession for the framing). It listens on a Unix socket path or on
// "tcp:127.0.0.1:PORT" (loopback only) and serves one host at a time, on a thread of its own;
// after a host leaves, the next one finds the same camera. A host that comes while another is
// served is turned away at once with the busy answer (HostRefusals).
class SimServer {
public:
    explicit SimServer(SimCamera& camera);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // True when `endpoint` is one that Start takes; false with a one-line reason otherwise.
    static bool CheckEndpoint(std::string_view endpoint, std::string& error);
    // Starts listening on `endpoint`: a socket path (optionally "socket:PATH") or
    // "tcp:127.0.0.1:PORT"; port 0 picks a free port. False with a one-line reason when it
    // cannot.
    bool Start(std::string_view endpoint, std::string& error);
    // Disconnects the host, stops listening and removes the socket file. Safe to call twice.
    void Stop();
    // Where the server listens, in the form Start takes, with the chosen port filled in.
    [[nodiscard]] const std::string& Endpoint() const { return endpoint_; }

private:
    bool ListenUnix(const std::string& path, std::string& error);
    bool ListenTcp(std::uint16_t port, std::string& error);
    // Accepts connections until the server stops.
    void Serve();
    void Accept(HostRefusals& refusals);
    // Whether a host is still being served; ends the session of one that has left.
    bool SessionRunning();
    void StartSession(FileDescriptor host);
    void EndSession();

    SimCamera& camera_;
    FileDescriptor listener_;
    FileDescriptor stopEvent_;
    std::thread thread_;
    // The host being served and its session. The session shuts the connection down when it
    // ends; the descriptor is closed once the session has been joined.
    FileDescriptor host_;
    std::thread session_;
    std::atomic<bool> sessionDone_{false};
    std::string endpoint_;
    std::string socketPath_;  // the Unix socket file this server created
    bool tcp_ = false;
};

}  // namespace camsim
