#include "camsim/UsbLinkSession.h"

#include <cerrno>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace camsim {

namespace {

constexpr std::uint8_t kBulkOut = 'W';
constexpr std::uint8_t kBulkIn = 'R';
constexpr std::size_t kHeaderSize = 4;

void PutLittleEndian32(std::uint8_t* out, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

UsbLinkSession::UsbLinkSession(SimCamera& camera, int socket, int stopEvent)
    : camera_(camera), socket_(socket), stopEvent_(stopEvent)
{
}

void UsbLinkSession::Run()
{
    while (true) {
        std::uint8_t operation = 0;
        if (!ReadExact(std::span(&operation, 1)))
            return;
        const bool served = operation == kBulkOut  ? ServeBulkOut()
                            : operation == kBulkIn ? ServeBulkIn()
                                                   : false;
        if (!served)
            return;
    }
}

bool UsbLinkSession::ServeBulkOut()
{
    std::uint32_t length = 0;
    if (!ReadLength(length))
        return false;
    buffer_.resize(length);
    if (!ReadExact(buffer_))
        return false;
    std::uint8_t answer[kHeaderSize];
    PutLittleEndian32(answer,
                      static_cast<std::uint32_t>(camera_.UsbBulkOut(buffer_.data(), length)));
    return WriteAll(answer);
}

bool UsbLinkSession::ServeBulkIn()
{
    std::uint32_t capacity = 0;
    if (!ReadLength(capacity))
        return false;
    // A read of no bytes moves nothing: the host greets the link with it to learn that this
    // camera serves it (a busy server answers HostRefusals::kBusyAnswer instead).
    if (capacity == 0) {
        const std::uint8_t none[kHeaderSize] = {0, 0, 0, 0};
        return WriteAll(none);
    }
    // The answer goes out in one piece: the count, then the bytes read right behind it.
    buffer_.resize(kHeaderSize + capacity);
    const int delivered = camera_.UsbBulkIn(buffer_.data() + kHeaderSize, capacity);
    PutLittleEndian32(buffer_.data(), static_cast<std::uint32_t>(delivered));
    const std::size_t payload = delivered > 0 ? static_cast<std::size_t>(delivered) : 0;
    return WriteAll(std::span(buffer_).first(kHeaderSize + payload));
}

bool UsbLinkSession::ReadLength(std::uint32_t& length)
{
    std::uint8_t bytes[kHeaderSize];
    if (!ReadExact(bytes))
        return false;
    length = 0;
    for (std::size_t i = 0; i < kHeaderSize; ++i)
        length |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    return length <= kLargestTransfer;
}

bool UsbLinkSession::WaitFor(short events) const
{
    pollfd fds[2] = {{socket_, events, 0}, {stopEvent_, POLLIN, 0}};
    while (true) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        return fds[1].revents == 0;
    }
}

bool UsbLinkSession::ReadExact(std::span<std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (!WaitFor(POLLIN))
            return false;
        const ssize_t got = ::recv(socket_, bytes.data() + done, bytes.size() - done, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool UsbLinkSession::WriteAll(std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (!WaitFor(POLLOUT))
            return false;
        const ssize_t sent =
            ::send(socket_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (sent <= 0)
            return false;
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

}  // namespace camsim
