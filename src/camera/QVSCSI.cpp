#include "camera/QVSCSI.h"

#include <cstdio>
#include <cstring>

#include "platform/LinkError.h"

namespace scanora {

namespace {

constexpr std::size_t kInquirySize = 36;
constexpr std::size_t kReplyReadySize = 6;
constexpr std::uint8_t kReplyReadyBit = 0x10;
constexpr char kVendor[] = "Qorvanix";

constexpr std::uint8_t Byte(std::uint32_t value, int shift)
{
    return static_cast<std::uint8_t>(value >> shift);
}

// A request that moved fewer bytes than asked failed, whatever its code says: the caller would
// otherwise take stale buffer contents for camera data.
std::uint16_t CompleteOrError(const ScsiResult& result, std::uint32_t expected)
{
    if (result.error == LinkError::kSuccess && result.transferred < expected)
        return LinkError::kIoDevice;
    return result.error;
}

}  // namespace

QVSCSI::QVSCSI(std::unique_ptr<ScsiDeviceFinder> finder)
    : QVCamComm(TransportKind::Scsi), finder_(std::move(finder))
{
}

QVSCSI::~QVSCSI() = default;

std::uint32_t QVSCSI::TimeoutSeconds(std::uint32_t milliseconds)
{
    if (milliseconds == 0)
        return 0;
    return std::max<std::uint32_t>(milliseconds / 1000, 1);
}

bool QVSCSI::IsCameraInquiry(std::span<const std::uint8_t> answer)
{
    if (answer.size() < kInquirySize)
        return false;
    if (std::memcmp(answer.data() + 8, kVendor, 8) != 0)
        return false;
    // The revision text occupies bytes 32-35 and ends there.
    char revision[5] = {};
    std::memcpy(revision, answer.data() + 32, 4);
    int major = 0;
    int minor = 0;
    return std::sscanf(revision, "%d.%d", &major, &minor) >= 1 && major > 3;
}

bool QVSCSI::Identify(ScsiDevice& device)
{
    static constexpr std::uint8_t kInquiry[] = {0x12, 0x00, 0x00, 0x00, kInquirySize, 0x00};
    std::array<std::uint8_t, kInquirySize> answer{};
    const ScsiRequest request{kInquiry, true, answer.data(), kInquirySize,
                              TimeoutSeconds(kDefaultTimeoutMs)};
    const ScsiResult result = device.Execute(request);
    return result.error == LinkError::kSuccess && IsCameraInquiry(answer);
}

void QVSCSI::Open()
{
    SetConnected(false);
    device_.reset();
    devicePath_.clear();
    openError_ = {DeviceError::Kind::NotPresent, "No camera found on the SCSI bus."};
    if (!finder_)
        return;
    bool sawDevice = false;
    for (const std::string& name : finder_->Candidates()) {
        DeviceError why;
        std::unique_ptr<ScsiDevice> device = finder_->Open(name, why);
        if (!device) {
            // Keep the most telling reason: a device we may not open beats one that is absent.
            if (why.kind != DeviceError::Kind::NotPresent || !sawDevice)
                openError_ = why;
            sawDevice = sawDevice || why.kind != DeviceError::Kind::NotPresent;
            continue;
        }
        if (Identify(*device)) {
            device_ = std::move(device);
            devicePath_ = name;
            openError_ = {};
            SetConnected(true);
            return;
        }
    }
}

ScsiResult QVSCSI::Execute(std::span<const std::uint8_t> cdb, bool dataIn, std::uint8_t* data,
                           std::uint32_t length, std::uint32_t timeoutMs)
{
    if (!device_)
        return {LinkError::kDeviceNotConnected, 0};
    const ScsiRequest request{cdb, dataIn, data, length, TimeoutSeconds(timeoutMs)};
    return device_->Execute(request);
}

std::int16_t QVSCSI::SendCommand(std::string_view text)
{
    const auto length = static_cast<std::uint16_t>(text.size());
    if (text.size() > 0xFFFF)
        return static_cast<std::int16_t>(LinkError::kGeneralFailure);
    const std::uint8_t cdb[] = {0x0D, 0x00, 0x00, Byte(length, 8), Byte(length, 0), 0x00};
    // The request only reads from the buffer in this direction.
    auto* bytes = reinterpret_cast<std::uint8_t*>(const_cast<char*>(text.data()));
    return static_cast<std::int16_t>(Execute(cdb, false, bytes, length).error);
}

std::int16_t QVSCSI::ReadReply(std::span<std::uint8_t, kReplySize> buffer, std::uint16_t& length)
{
    const std::uint16_t wanted = std::min<std::uint16_t>(length, kReplySize);
    const std::uint8_t cdb[] = {0x0E, 0x00, 0x00, Byte(wanted, 8), Byte(wanted, 0), 0x00};
    const ScsiResult result = Execute(cdb, true, buffer.data(), wanted);
    length = static_cast<std::uint16_t>(std::min<std::uint32_t>(result.transferred, wanted));
    return static_cast<std::int16_t>(result.error);
}

bool QVSCSI::IsReplyReady()
{
    static constexpr std::uint8_t kCdb[] = {0x0E, 0x01, 0x00, 0x00, kReplyReadySize, 0x00};
    std::array<std::uint8_t, kReplyReadySize> answer{};
    const ScsiResult result = Execute(kCdb, true, answer.data(), kReplyReadySize);
    return result.error == LinkError::kSuccess && result.transferred > 0 &&
           (answer[0] & kReplyReadyBit) != 0;
}

std::int32_t QVSCSI::ReadData(std::uint8_t selector, std::span<std::uint8_t> buffer,
                              std::uint16_t blockCount, std::uint16_t chunkIndex)
{
    const std::size_t total = std::size_t{blockCount} * kBlockSize;
    if (buffer.size() < total)
        return -1;
    // The transfer's place in the whole data: its pieces carry bits 16-31 of their byte offset.
    const std::uint64_t start = std::uint64_t{blockCount} * chunkIndex * kBlockSize;
    std::int32_t received = 0;
    for (std::size_t done = 0; done < total;) {
        const std::size_t piece = std::min<std::size_t>(total - done, kPieceBlocks * kBlockSize);
        const auto offset = static_cast<std::uint32_t>(start + done);
        const std::uint8_t cdb[] = {
            0x28, 0x00,         0x80, 0x00, selector, Byte(offset, 24), Byte(offset, 16),
            0x00, kPieceBlocks, 0x00};
        const ScsiResult result =
            Execute(cdb, true, buffer.data() + done, static_cast<std::uint32_t>(piece));
        if (result.error != LinkError::kSuccess)
            return -static_cast<std::int32_t>(result.error);
        received += static_cast<std::int32_t>(result.transferred);
        if (result.transferred < piece)
            break;  // the camera had no more: the caller sees the short count
        done += piece;
    }
    return received;
}

std::int16_t QVSCSI::WriteTable(std::span<const std::uint8_t, kTableSize> table)
{
    static constexpr std::uint8_t kCdb[] = {0x2A, 0x00, 0xA0, 0x00, 0xFF,
                                            0x00, 0x00, 0x00, 0x10, 0x00};
    auto* bytes = const_cast<std::uint8_t*>(table.data());  // read only: data out
    return static_cast<std::int16_t>(Execute(kCdb, false, bytes, kTableSize).error);
}

std::int16_t QVSCSI::ReadBlocks(std::uint16_t count, std::span<std::uint8_t> buffer,
                                std::uint32_t timeoutHintMs)
{
    if (buffer.size() < std::size_t{count} * kBlockSize)
        return static_cast<std::int16_t>(LinkError::kGeneralFailure);
    const std::uint16_t fullPieces = count / kPieceBlocks;
    const std::uint16_t rest = count % kPieceBlocks;
    std::uint8_t* target = buffer.data();
    auto readPiece = [&](std::uint16_t blocks, std::uint32_t timeoutMs) {
        const std::uint8_t cdb[] = {
            0x28, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, Byte(blocks, 8), Byte(blocks, 0), 0x00};
        const std::uint32_t bytes = std::uint32_t{blocks} * kBlockSize;
        const ScsiResult result = Execute(cdb, true, target, bytes, timeoutMs);
        target += bytes;
        return CompleteOrError(result, bytes);
    };
    for (std::uint16_t i = 0; i < fullPieces; ++i) {
        if (const std::uint16_t error = readPiece(kPieceBlocks, timeoutHintMs / fullPieces))
            return static_cast<std::int16_t>(error);
    }
    if (rest != 0) {
        if (const std::uint16_t error = readPiece(rest, timeoutHintMs))
            return static_cast<std::int16_t>(error);
    }
    return 0;
}

std::int16_t QVSCSI::TransferBlock(std::uint8_t index, std::span<std::uint8_t, kBlockSize> buffer,
                                   bool write)
{
    const std::uint8_t cdb[] = {static_cast<std::uint8_t>(write ? 0x2A : 0x28),
                                0x00,
                                0x83,
                                0x00,
                                index,
                                0x00,
                                0x00,
                                0x00,
                                0x01,
                                0x00};
    return static_cast<std::int16_t>(
        CompleteOrError(Execute(cdb, !write, buffer.data(), kBlockSize), kBlockSize));
}

}  // namespace scanora
