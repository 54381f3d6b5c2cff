#include "camsim/UsbBlockDecoder.h"

#include <algorithm>
#include <array>

namespace camsim {

namespace {

std::uint16_t BigEndian16(std::uint8_t high, std::uint8_t low)
{
    return static_cast<std::uint16_t>(high << 8 | low);
}

bool Matches(std::span<const std::uint8_t> block, const std::array<std::uint8_t, 8>& expected)
{
    return std::equal(expected.begin(), expected.end(), block.begin());
}

}  // namespace

std::optional<LinkRequest> UsbBlockDecoder::Decode(std::span<const std::uint8_t> transfer)
{
    if (transfer.size() < kBlockSize)
        return std::nullopt;
    const auto b = transfer.first<kBlockSize>();
    LinkRequest request;

    // Text command: 0D 00 00 len 00 00 00 00, then len bytes of text in the same transfer.
    if (b[0] == 0x0D) {
        const std::size_t length = b[3];
        if (b[1] != 0 || b[2] != 0 || b[4] != 0 || b[5] != 0 || b[6] != 0 || b[7] != 0 ||
            length == 0 || transfer.size() != kBlockSize + length)
            return std::nullopt;
        request.kind = LinkRequest::Kind::Text;
        request.length = length;
        return request;
    }
    if (transfer.size() != kBlockSize)
        return std::nullopt;

    if (Matches(b, {0x0E, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00})) {
        request.kind = LinkRequest::Kind::ReplyReady;
        request.length = 6;
        return request;
    }
    if (Matches(b, {0x0E, 0x01, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00})) {
        request.kind = LinkRequest::Kind::ReplyRead;
        request.length = 1024;
        return request;
    }
    if (Matches(b, {0x2A, 0xA0, 0x00, 0x10, 0xFF, 0x00, 0x00, 0x00})) {
        request.kind = LinkRequest::Kind::TableWrite;
        request.length = 16 * kUnitSize;
        return request;
    }
    // Storage block: 28/2A 83 00 01 index 00 00 00.
    if ((b[0] == 0x28 || b[0] == 0x2A) && b[1] == 0x83 && b[2] == 0x00 && b[3] == 0x01 &&
        b[5] == 0 && b[6] == 0 && b[7] == 0) {
        request.kind = b[0] == 0x28 ? LinkRequest::Kind::BlockRead : LinkRequest::Kind::BlockWrite;
        request.length = kUnitSize;
        request.selector = b[4];
        return request;
    }
    // Bulk read: 28 80 count-high count-low selector 00 chunk-high chunk-low. Selector 0 is a
    // line read (chunk 0); any other selector reads chunk `chunk` of that image's data, each
    // chunk `count` units long.
    if (b[0] == 0x28 && b[1] == 0x80 && b[5] == 0) {
        const std::size_t count = BigEndian16(b[2], b[3]);
        const std::uint64_t chunk = BigEndian16(b[6], b[7]);
        if (count == 0 || (b[4] == 0 && chunk != 0))
            return std::nullopt;
        request.kind = b[4] == 0 ? LinkRequest::Kind::LineRead : LinkRequest::Kind::DiskRead;
        request.length = count * kUnitSize;
        request.selector = b[4];
        request.offset = chunk * count * kUnitSize;
        return request;
    }
    return std::nullopt;
}

}  // namespace camsim
