#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "platform/LinkWatch.h"

namespace scanora {

// Which transport carries the camera link. The numbers are the camera object's own.
enum class TransportKind : int { Scsi = 1, Usb = 2 };

// The camera transport: moves a short ASCII command to the camera, polls whether a reply waits,
// fetches it, and moves bulk data (image lines, 512-byte storage blocks, 8192-byte lookup
// tables). Only the camera object calls it, one operation at a time.
//
// Status results are 16-bit values, 0 meaning success.
class QVCamComm {
public:
    static constexpr std::size_t kReplySize = 1024;
    static constexpr std::size_t kBlockSize = 512;
    static constexpr std::size_t kTableSize = 8192;

    virtual ~QVCamComm() = default;
    QVCamComm(const QVCamComm&) = delete;
    QVCamComm& operator=(const QVCamComm&) = delete;

    // Looks for the camera again when it is not connected.
    virtual void Open() {}
    // True once the camera has gone from the link for good (unplugged): waiting for its reply
    // is pointless. Links that cannot tell answer false, and the reply wait runs to its end.
    [[nodiscard]] virtual bool LinkGone() const { return false; }
    // A watch that calls `changed` the moment a camera is plugged into or pulled out of this
    // link, or null where the link has no such events and only a poll finds out.
    virtual std::unique_ptr<LinkWatch> WatchLink(LinkChanged /*changed*/) { return nullptr; }
    // Sends one command text (without terminator handling: the text is sent as given).
    virtual std::int16_t SendCommand(std::string_view text) = 0;
    // Reads the waiting reply into `buffer` (kReplySize bytes). `length` is the caller's buffer
    // length on entry; a transport may replace it with the bytes received.
    virtual std::int16_t ReadReply(std::span<std::uint8_t, kReplySize> buffer,
                                   std::uint16_t& length) = 0;
    // True when the camera has a reply waiting.
    virtual bool IsReplyReady() = 0;
    virtual void SetConnected(bool connected) { connected_.store(connected); }
    // Reads `blockCount` 512-byte blocks of chunk `chunkIndex` of the data selected by `selector`.
    // Returns the bytes read, or a negative value when the transfer failed.
    virtual std::int32_t ReadData(std::uint8_t selector, std::span<std::uint8_t> buffer,
                                  std::uint16_t blockCount, std::uint16_t chunkIndex) = 0;
    // Writes one 8192-byte lookup table.
    virtual std::int16_t WriteTable(std::span<const std::uint8_t, kTableSize> table) = 0;
    // Reads `count` 512-byte units of scan lines. `timeoutHintMs` bounds the whole read where the
    // transport can use it.
    virtual std::int16_t ReadBlocks(std::uint16_t count, std::span<std::uint8_t> buffer,
                                    std::uint32_t timeoutHintMs) = 0;
    // Reads or writes one 512-byte storage block. 0 on success.
    virtual std::int16_t TransferBlock(std::uint8_t index,
                                       std::span<std::uint8_t, kBlockSize> buffer, bool write) = 0;

    [[nodiscard]] bool IsConnected() const { return connected_.load(); }
    [[nodiscard]] TransportKind Kind() const { return kind_; }

protected:
    explicit QVCamComm(TransportKind kind) : kind_(kind) {}

private:
    const TransportKind kind_;
    std::atomic<bool> connected_{false};
};

}  // namespace scanora
