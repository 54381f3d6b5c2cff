#include "camsim/HostRefusals.h"

#include <fcntl.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace camsim {

void HostRefusals::Refuse(FileDescriptor host)
{
    if (refused_.size() >= kMostHeld)
        refused_.erase(refused_.begin());  // the oldest has had its answer long enough
    const int flags = ::fcntl(host.Get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(host.Get(), F_SETFL, flags | O_NONBLOCK);
    std::array<std::uint8_t, 4> answer{};
    for (std::size_t i = 0; i < answer.size(); ++i)
        answer[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(kBusyAnswer) >> (8 * i));
    // Four bytes always fit into a fresh connection's buffer.
    if (::send(host.Get(), answer.data(), answer.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(answer.size()))
        return;
    ::shutdown(host.Get(), SHUT_WR);
    refused_.push_back({std::move(host), std::chrono::steady_clock::now() + kLinger});
}

void HostRefusals::AddPollEntries(std::vector<pollfd>& fds) const
{
    for (const Refused& held : refused_) fds.push_back({held.host.Get(), POLLIN, 0});
}

void HostRefusals::Handle(std::span<const pollfd> entries)
{
    const auto now = std::chrono::steady_clock::now();
    std::vector<bool> done(refused_.size(), false);
    for (std::size_t i = 0; i < refused_.size(); ++i) {
        if (now >= refused_[i].until) {
            done[i] = true;
            continue;
        }
        if (i >= entries.size() || entries[i].revents == 0)
            continue;
        // Read and drop what the host sends until it hangs up.
        std::array<std::uint8_t, 4096> scratch{};
        while (true) {
            const ssize_t got = ::recv(refused_[i].host.Get(), scratch.data(), scratch.size(), 0);
            if (got > 0)
                continue;
            done[i] = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
            break;
        }
    }
    std::size_t index = 0;
    std::erase_if(refused_, [&](const Refused&) { return done[index++]; });
}

int HostRefusals::PollTimeoutMs() const
{
    if (refused_.empty())
        return -1;
    const auto now = std::chrono::steady_clock::now();
    auto first = refused_.front().until;
    for (const Refused& held : refused_) first = std::min(first, held.until);
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(first - now).count();
    return static_cast<int>(std::max<decltype(wait)>(wait, 0));
}

}  // namespace camsim
