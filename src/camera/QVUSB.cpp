#include "camera/QVUSB.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/LinkError.h"
#include "platform/PreciseDelay.h"

namespace scanora {

namespace {

// Operation codes of the command block (byte 0) and their sub-operations (byte 1).
constexpr std::uint8_t kOpText = 0x0D;
constexpr std::uint8_t kOpReply = 0x0E;
constexpr std::uint8_t kOpRead = 0x28;
constexpr std::uint8_t kOpWrite = 0x2A;
constexpr std::uint8_t kSubReplyReady = 0x00;
constexpr std::uint8_t kSubReplyRead = 0x01;
constexpr std::uint8_t kSubBulk = 0x80;
constexpr std::uint8_t kSubStorage = 0x83;
constexpr std::uint8_t kSubTable = 0xA0;

constexpr std::size_t kReplyReadySize = 6;
constexpr std::uint8_t kReplyReadyBit = 0x10;
constexpr std::size_t kMaxTextLength = 255;

constexpr std::uint8_t High(std::uint16_t value)
{
    return static_cast<std::uint8_t>(value >> 8);
}
constexpr std::uint8_t Low(std::uint16_t value)
{
    return static_cast<std::uint8_t>(value);
}

}  // namespace

QVUSB::QVUSB(std::unique_ptr<BulkDeviceFinder> finder, std::chrono::microseconds commandDelay)
    : QVCamComm(TransportKind::Usb), finder_(std::move(finder)), commandDelay_(commandDelay)
{
    Discover();
}

QVUSB::~QVUSB() = default;

bool QVUSB::Discover()
{
    left_.store(kNoneLeft);  // whatever left before, the device found now is here
    device_.reset();
    openError_ = {};
    if (finder_)
        device_ = finder_->Open(openError_);
    else
        openError_ = {DeviceError::Kind::NotPresent, "No USB camera link is configured."};
    SetConnected(device_ != nullptr);
    return device_ != nullptr;
}

void QVUSB::Open()
{
    if (!IsConnected() || !device_ || device_->IsGone())
        Discover();
}

bool QVUSB::LinkGone() const
{
    if (!device_)
        return false;
    const std::uint16_t left = left_.load();
    return device_->IsGone() ||
           (left != kNoneLeft && device_->IsAt(static_cast<std::uint8_t>(left >> 8),
                                               static_cast<std::uint8_t>(left & 0xFF)));
}

std::unique_ptr<LinkWatch> QVUSB::WatchLink(LinkChanged changed)
{
    if (!finder_ || !changed)
        return nullptr;
    // The watch lives no longer than this transport: its owner drops it first.
    return finder_->WatchLink([this, changed = std::move(changed)](const LinkEvent& event) {
        if (event.kind == LinkEvent::Kind::Left)
            left_.store(static_cast<std::uint16_t>(event.bus << 8 | event.address));
        changed(event);
    });
}

std::int16_t QVUSB::FailureStatus() const
{
    return static_cast<std::int16_t>(!device_ || device_->IsGone() ? LinkError::kDeviceNotConnected
                                                                   : LinkError::kIoDevice);
}

bool QVUSB::WriteBlock(const Block& block)
{
    return device_ && device_->BulkWrite(block) == static_cast<int>(block.size());
}

int QVUSB::BlockThenTransferIn(const Block& block, std::span<std::uint8_t> buffer)
{
    if (!WriteBlock(block))
        return -1;
    PreciseDelay(commandDelay_);
    return device_->BulkRead(buffer);
}

bool QVUSB::BlockThenRead(const Block& block, std::span<std::uint8_t> buffer)
{
    return BlockThenTransferIn(block, buffer) == static_cast<int>(buffer.size());
}

bool QVUSB::BlockThenWrite(const Block& block, std::span<const std::uint8_t> data)
{
    if (!WriteBlock(block))
        return false;
    PreciseDelay(commandDelay_);
    return device_->BulkWrite(data) == static_cast<int>(data.size());
}

std::int16_t QVUSB::SendCommand(std::string_view text)
{
    if (!device_ || text.size() > kMaxTextLength)
        return FailureStatus();
    // The text travels in the same transfer as its block.
    std::vector<std::uint8_t> transfer(kCommandBlockSize + text.size(), 0);
    transfer[0] = kOpText;
    transfer[3] = static_cast<std::uint8_t>(text.size());
    std::memcpy(transfer.data() + kCommandBlockSize, text.data(), text.size());
    if (device_->BulkWrite(transfer) != static_cast<int>(transfer.size()))
        return FailureStatus();
    return 0;
}

std::int16_t QVUSB::ReadReply(std::span<std::uint8_t, kReplySize> buffer, std::uint16_t& length)
{
    (void)length;  // the USB reply is always the full 1024 bytes
    std::array<std::uint8_t, kReplySize> staged{};
    const int got =
        BlockThenTransferIn({kOpReply, kSubReplyRead, High(kReplySize), Low(kReplySize)}, staged);
    // A camera may end the reply early: what arrived is the reply, the rest stays zero.
    std::copy(staged.begin(), staged.end(), buffer.begin());
    return got < 0 ? FailureStatus() : std::int16_t{0};
}

bool QVUSB::IsReplyReady()
{
    std::array<std::uint8_t, kReplyReadySize> answer{};
    const int got = BlockThenTransferIn({kOpReply, kSubReplyReady, 0x00, kReplyReadySize}, answer);
    return got > 0 && (answer[0] & kReplyReadyBit) != 0;
}

std::int32_t QVUSB::ReadData(std::uint8_t selector, std::span<std::uint8_t> buffer,
                             std::uint16_t blockCount, std::uint16_t chunkIndex)
{
    const std::size_t bytes = std::size_t{blockCount} * kBlockSize;
    if (buffer.size() < bytes)
        return -1;
    const Block block{kOpRead,  kSubBulk, High(blockCount), Low(blockCount),
                      selector, 0x00,     High(chunkIndex), Low(chunkIndex)};
    const int got = BlockThenTransferIn(block, buffer.first(bytes));
    return got < 0 ? -1 : got;
}

std::int16_t QVUSB::WriteTable(std::span<const std::uint8_t, kTableSize> table)
{
    const Block block{kOpWrite, kSubTable, 0x00, 0x10, 0xFF, 0x00, 0x00, 0x00};
    return BlockThenWrite(block, table) ? 0 : FailureStatus();
}

std::int16_t QVUSB::ReadBlocks(std::uint16_t count, std::span<std::uint8_t> buffer,
                               std::uint32_t /*timeoutHintMs*/)
{
    return ReadUnits(count, buffer, nullptr);
}

std::int16_t QVUSB::ReadUnits(std::uint16_t count, std::span<std::uint8_t> buffer,
                              std::uint32_t* bytesRead)
{
    const std::size_t bytes = std::size_t{count} * kBlockSize;
    if (bytesRead)
        *bytesRead = 0;
    if (buffer.size() < bytes)
        return -1;
    const Block block{kOpRead, kSubBulk, High(count), Low(count), 0x00, 0x00, 0x00, 0x00};
    if (!BlockThenRead(block, buffer.first(bytes)))
        return -1;
    if (bytesRead)
        *bytesRead = static_cast<std::uint32_t>(bytes);
    return 0;
}

std::int16_t QVUSB::TransferBlock(std::uint8_t index, std::span<std::uint8_t, kBlockSize> buffer,
                                  bool write)
{
    const Block block{write ? kOpWrite : kOpRead, kSubStorage, 0x00, 0x01, index, 0x00, 0x00, 0x00};
    const bool ok = write ? BlockThenWrite(block, buffer) : BlockThenRead(block, buffer);
    return ok ? 0 : -1;
}

}  // namespace scanora
