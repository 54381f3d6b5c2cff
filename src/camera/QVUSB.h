#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <memory>

#include "camera/QVCamComm.h"
#include "platform/BulkDevice.h"
#include "platform/DeviceError.h"

namespace scanora {

// The USB transport: every operation writes an 8-byte command block and then, after a pause of
// about 2 ms, reads or writes its data phase on the same device.
class QVUSB final : public QVCamComm {
public:
    static constexpr std::size_t kCommandBlockSize = 8;
    static constexpr std::chrono::microseconds kDefaultCommandDelay{2000};

    // Looks for the camera through `finder` at once; the transport exists whether or not it was
    // found. `commandDelay` is the pause between a command block and its data phase.
    explicit QVUSB(std::unique_ptr<BulkDeviceFinder> finder,
                   std::chrono::microseconds commandDelay = kDefaultCommandDelay);
    ~QVUSB() override;

    // Searches the bus again when no camera is open, so a camera plugged in after start-up is
    // found by the next reconnection attempt.
    void Open() override;
    [[nodiscard]] bool LinkGone() const override;
    std::unique_ptr<LinkWatch> WatchLink(LinkChanged changed) override;
    std::int16_t SendCommand(std::string_view text) override;
    // Always delivers all 1024 bytes and leaves `length` as it was.
    std::int16_t ReadReply(std::span<std::uint8_t, kReplySize> buffer,
                           std::uint16_t& length) override;
    bool IsReplyReady() override;
    std::int32_t ReadData(std::uint8_t selector, std::span<std::uint8_t> buffer,
                          std::uint16_t blockCount, std::uint16_t chunkIndex) override;
    std::int16_t WriteTable(std::span<const std::uint8_t, kTableSize> table) override;
    // Reads the units in one transfer; the time-out hint is not used on USB.
    std::int16_t ReadBlocks(std::uint16_t count, std::span<std::uint8_t> buffer,
                            std::uint32_t timeoutHintMs) override;
    std::int16_t TransferBlock(std::uint8_t index, std::span<std::uint8_t, kBlockSize> buffer,
                               bool write) override;

    // Reads `count` 512-byte units of scan lines in one transfer. 0 and `bytesRead` =
    // count × 512 when all arrived; -1 and `bytesRead` = 0 otherwise.
    std::int16_t ReadUnits(std::uint16_t count, std::span<std::uint8_t> buffer,
                           std::uint32_t* bytesRead);

    // Why the last search for the camera failed (empty when it is open).
    [[nodiscard]] const DeviceError& OpenError() const { return openError_; }

private:
    using Block = std::array<std::uint8_t, kCommandBlockSize>;

    bool Discover();
    // Writes the command block; false when the transfer failed.
    bool WriteBlock(const Block& block);
    // Writes the block, waits the command delay, then makes one IN transfer into `buffer`.
    // Returns the bytes read, negative when either transfer failed.
    int BlockThenTransferIn(const Block& block, std::span<std::uint8_t> buffer);
    // As above, true only when exactly buffer.size() bytes arrived.
    bool BlockThenRead(const Block& block, std::span<std::uint8_t> buffer);
    // Writes the block, waits the command delay, then writes all of `data`.
    bool BlockThenWrite(const Block& block, std::span<const std::uint8_t> data);
    // The status for a failed transfer: whether the device has gone or merely failed.
    [[nodiscard]] std::int16_t FailureStatus() const;

    std::unique_ptr<BulkDeviceFinder> finder_;
    // Bus and address (bus << 8 | address) of the last USB device the link watch saw leave.
    static constexpr std::uint16_t kNoneLeft = 0;
    std::atomic<std::uint16_t> left_ = kNoneLeft;
    std::unique_ptr<BulkDevice> device_;
    std::chrono::microseconds commandDelay_;
    DeviceError openError_;
};

}  // namespace scanora
