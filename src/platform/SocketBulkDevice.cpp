#include "platform/SocketBulkDevice.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/uio.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>

namespace scanora {

namespace {

constexpr std::uint8_t kWriteOperation = 'W';
constexpr std::uint8_t kReadOperation = 'R';
constexpr int kTransferFailed = -1;

// The answer is an i32, so no transfer may move more than this.
constexpr std::size_t kMaxTransfer = std::numeric_limits<std::int32_t>::max();

void PutLittleEndian32(std::uint32_t value, std::uint8_t* out)
{
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t GetLittleEndian32(const std::uint8_t* in)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(in[i]) << (8 * i);
    }
    return value;
}

void SetTimeout(int fd, int option, std::chrono::milliseconds timeout)
{
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(timeout).count();
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(micros / 1000000);
    tv.tv_usec = static_cast<suseconds_t>(micros % 1000000);
    ::setsockopt(fd, SOL_SOCKET, option, &tv, sizeof tv);
}

}  // namespace

SocketBulkDevice::SocketBulkDevice(UniqueFd socket, std::chrono::milliseconds timeout)
    : socket_(std::move(socket)), timeout_(timeout)
{
    if (!socket_.IsValid()) {
        gone_ = true;
        return;
    }
    SetTimeout(socket_.Get(), SO_RCVTIMEO, timeout);
    SetTimeout(socket_.Get(), SO_SNDTIMEO, timeout);
}

SocketBulkDevice::Greeting SocketBulkDevice::Greet(std::chrono::milliseconds limit)
{
    if (gone_) {
        return Greeting::Broken;
    }
    SetTimeout(socket_.Get(), SO_RCVTIMEO, limit);
    SetTimeout(socket_.Get(), SO_SNDTIMEO, limit);
    // A refusing simulator may have answered and hung up before the request left: its answer
    // is read even when the request could not be sent.
    static_cast<void>(SendFrame(kReadOperation, 0, {}));
    std::int32_t answer = 0;
    errno = 0;
    if (!ReceiveAnswer(answer)) {
        const bool silent = errno == EAGAIN || errno == EWOULDBLOCK;
        Drop();
        return silent ? Greeting::Silent : Greeting::Broken;
    }
    if (answer == kBusyAnswer) {
        Drop();
        return Greeting::Busy;
    }
    if (answer > 0) {
        Drop();  // bytes for a read of none: not the camera link
        return Greeting::Broken;
    }
    SetTimeout(socket_.Get(), SO_RCVTIMEO, timeout_);
    SetTimeout(socket_.Get(), SO_SNDTIMEO, timeout_);
    return Greeting::Ready;
}

int SocketBulkDevice::BulkWrite(std::span<const std::uint8_t> data)
{
    if (gone_) {
        return kTransferFailed;
    }
    if (data.size() > kMaxTransfer) {
        return kTransferFailed;  // cannot be framed; the link itself is fine
    }
    const auto length = static_cast<std::uint32_t>(data.size());
    std::int32_t taken = 0;
    if (!SendFrame(kWriteOperation, length, data) || !ReceiveAnswer(taken)) {
        return Drop();
    }
    if (taken > 0 && static_cast<std::uint32_t>(taken) > length) {
        return Drop();  // took more than was sent: the peer does not speak our framing
    }
    return taken;
}

int SocketBulkDevice::BulkRead(std::span<std::uint8_t> buffer)
{
    if (gone_) {
        return kTransferFailed;
    }
    const auto length = static_cast<std::uint32_t>(std::min(buffer.size(), kMaxTransfer));
    std::int32_t count = 0;
    if (!SendFrame(kReadOperation, length, {}) || !ReceiveAnswer(count)) {
        return Drop();
    }
    if (count < 0) {
        return count;
    }
    if (static_cast<std::uint32_t>(count) > length) {
        return Drop();  // more than the buffer holds: never read past it
    }
    if (!ReceiveAll(buffer.first(static_cast<std::size_t>(count)))) {
        return Drop();
    }
    return count;
}

bool SocketBulkDevice::SendFrame(std::uint8_t operation, std::uint32_t length,
                                 std::span<const std::uint8_t> payload)
{
    std::array<std::uint8_t, 5> header{operation};
    PutLittleEndian32(length, header.data() + 1);

    // Header and payload leave in one call where the socket takes them, so a small write is one
    // segment on the wire.
    std::array<iovec, 2> parts{{{header.data(), header.size()},
                                {const_cast<std::uint8_t*>(payload.data()), payload.size()}}};
    std::size_t first = 0;
    while (first < parts.size()) {
        if (parts[first].iov_len == 0) {
            ++first;
            continue;
        }
        msghdr message{};
        message.msg_iov = parts.data() + first;
        message.msg_iovlen = parts.size() - first;
        const ssize_t sent = ::sendmsg(socket_.Get(), &message, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;  // peer closed (EPIPE), reset, or the send timed out
        }
        auto remaining = static_cast<std::size_t>(sent);
        while (first < parts.size() && remaining >= parts[first].iov_len) {
            remaining -= parts[first].iov_len;
            ++first;
        }
        if (first < parts.size()) {
            parts[first].iov_base = static_cast<std::uint8_t*>(parts[first].iov_base) + remaining;
            parts[first].iov_len -= remaining;
        }
    }
    return true;
}

bool SocketBulkDevice::ReceiveAll(std::span<std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::recv(socket_.Get(), bytes.data() + done, bytes.size() - done, 0);
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got == 0) {
            return false;  // the peer closed the connection mid-frame
        } else if (errno != EINTR) {
            return false;  // reset, or no answer within the time-out (EAGAIN)
        }
    }
    return true;
}

bool SocketBulkDevice::ReceiveAnswer(std::int32_t& answer)
{
    std::array<std::uint8_t, 4> bytes{};
    if (!ReceiveAll(bytes)) {
        return false;
    }
    answer = static_cast<std::int32_t>(GetLittleEndian32(bytes.data()));
    return true;
}

int SocketBulkDevice::Drop()
{
    gone_ = true;
    socket_.Reset();
    return kTransferFailed;
}

}  // namespace scanora
