// Feeds arbitrary bytes to the camera object as the camera's replies: every reply parser (status
// words, directory count, model, firmware, error codes, prefixes) must take them without reading
// out of bounds or crashing.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "camera/QVCamera.h"

namespace {

using namespace scanora;

// A transport whose every reply is the next slice of the fuzzer's input.
class FuzzTransport final : public QVCamComm {
public:
    FuzzTransport(const std::uint8_t* data, std::size_t size)
        : QVCamComm(TransportKind::Usb), data_(data, data + size)
    {
        SetConnected(true);
    }

    std::int16_t SendCommand(std::string_view) override { return 0; }
    bool IsReplyReady() override { return true; }
    std::int16_t ReadReply(std::span<std::uint8_t, kReplySize> buffer,
                           std::uint16_t& length) override
    {
        std::fill(buffer.begin(), buffer.end(), 0);
        // The first byte of each slice says how long the slice is.
        if (offset_ >= data_.size())
            return 0;
        const std::size_t wanted = data_[offset_++] * 4u + 1;
        const std::size_t n = std::min({wanted, data_.size() - offset_, buffer.size()});
        std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(offset_), n, buffer.begin());
        offset_ += n;
        length = static_cast<std::uint16_t>(std::min<std::size_t>(length, buffer.size()));
        return 0;
    }
    std::int32_t ReadData(std::uint8_t, std::span<std::uint8_t>, std::uint16_t,
                          std::uint16_t) override
    {
        return -1;
    }
    std::int16_t WriteTable(std::span<const std::uint8_t, kTableSize>) override { return 0; }
    std::int16_t ReadBlocks(std::uint16_t, std::span<std::uint8_t>, std::uint32_t) override
    {
        return -1;
    }
    std::int16_t TransferBlock(std::uint8_t, std::span<std::uint8_t, kBlockSize>, bool) override
    {
        return -1;
    }

private:
    std::vector<std::uint8_t> data_;
    std::size_t offset_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SilentUiPort ui;
    CameraOptions options;
    options.pollInterval = std::chrono::milliseconds(0);
    QVCamera camera(std::make_unique<FuzzTransport>(data, size), ui, options);
    camera.QueryStatus();
    camera.QueryVoltage();
    camera.GetDirectoryCount();
    camera.GetSerialNumber();
    camera.Command("MD1000\r", "MD");
    camera.GetVersionText();
    return 0;
}
