#pragma once

#include <array>
#include <memory>
#include <string>

#include "camera/QVCamComm.h"
#include "platform/DeviceError.h"
#include "platform/ScsiDevice.h"

namespace scanora {

// The SCSI transport: every operation is one command descriptor block with its data phase,
// passed through to the device. Status results are the request's error code.
class QVSCSI final : public QVCamComm {
public:
    // Time-out of every request unless an operation gives its own.
    static constexpr std::uint32_t kDefaultTimeoutMs = 500;
    // Blocks per piece of a long read: 128 × 512 = 64 KiB.
    static constexpr std::uint16_t kPieceBlocks = 128;

    explicit QVSCSI(std::unique_ptr<ScsiDeviceFinder> finder);
    ~QVSCSI() override;

    // Opens the first candidate device that identifies itself as the camera.
    void Open() override;
    std::int16_t SendCommand(std::string_view text) override;
    // Replaces `length` with the bytes received.
    std::int16_t ReadReply(std::span<std::uint8_t, kReplySize> buffer,
                           std::uint16_t& length) override;
    bool IsReplyReady() override;
    std::int32_t ReadData(std::uint8_t selector, std::span<std::uint8_t> buffer,
                          std::uint16_t blockCount, std::uint16_t chunkIndex) override;
    std::int16_t WriteTable(std::span<const std::uint8_t, kTableSize> table) override;
    std::int16_t ReadBlocks(std::uint16_t count, std::span<std::uint8_t> buffer,
                            std::uint32_t timeoutHintMs) override;
    std::int16_t TransferBlock(std::uint8_t index, std::span<std::uint8_t, kBlockSize> buffer,
                               bool write) override;

    // The pass-through time-out for a millisecond value: whole seconds, at least 1 when the
    // value is not 0.
    static std::uint32_t TimeoutSeconds(std::uint32_t milliseconds);
    // Whether a 36-byte INQUIRY answer identifies the camera: vendor "Qorvanix" and a revision
    // whose major version is greater than 3.
    static bool IsCameraInquiry(std::span<const std::uint8_t> answer);

    // Why the last search for the camera failed (empty when it is open).
    [[nodiscard]] const DeviceError& OpenError() const { return openError_; }
    // The device name that was opened.
    [[nodiscard]] const std::string& DevicePath() const { return devicePath_; }

private:
    // One request; returns its result, or a failure when no device is open.
    ScsiResult Execute(std::span<const std::uint8_t> cdb, bool dataIn, std::uint8_t* data,
                       std::uint32_t length, std::uint32_t timeoutMs = kDefaultTimeoutMs);
    bool Identify(ScsiDevice& device);

    std::unique_ptr<ScsiDeviceFinder> finder_;
    std::unique_ptr<ScsiDevice> device_;
    std::string devicePath_;
    DeviceError openError_;
};

}  // namespace scanora
