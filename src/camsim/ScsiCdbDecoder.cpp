#include "camsim/ScsiCdbDecoder.h"

#include <algorithm>
#include <array>

namespace camsim {

namespace {

std::size_t BigEndian16(std::uint8_t high, std::uint8_t low)
{
    return static_cast<std::size_t>(high) << 8 | low;
}

template <std::size_t N>
bool Matches(std::span<const std::uint8_t> cdb, const std::array<std::uint8_t, N>& expected)
{
    return cdb.size() == N && std::equal(expected.begin(), expected.end(), cdb.begin());
}

LinkRequest Request(LinkRequest::Kind kind, std::size_t length, std::uint8_t selector = 0)
{
    LinkRequest request;
    request.kind = kind;
    request.length = length;
    request.selector = selector;
    return request;
}

std::optional<LinkRequest> DecodeShort(std::span<const std::uint8_t> c)
{
    using Kind = LinkRequest::Kind;
    if (Matches<6>(c, {0x0E, 0x01, 0x00, 0x00, 0x06, 0x00}))
        return Request(Kind::ReplyReady, 6);
    if (c[1] != 0 || c[5] != 0)
        return std::nullopt;
    // INQUIRY 12 00 00 00 alloc 00.
    if (c[0] == 0x12 && c[2] == 0 && c[3] == 0 && c[4] != 0)
        return Request(Kind::Identify, c[4]);
    // Text command 0D 00 00 len-high len-low 00.
    if (c[0] == 0x0D && c[2] == 0 && BigEndian16(c[3], c[4]) != 0)
        return Request(Kind::Text, BigEndian16(c[3], c[4]));
    // Reply read 0E 00 00 len-high len-low 00.
    if (c[0] == 0x0E && c[2] == 0 && BigEndian16(c[3], c[4]) != 0)
        return Request(Kind::ReplyRead, BigEndian16(c[3], c[4]));
    return std::nullopt;
}

std::optional<LinkRequest> DecodeLong(std::span<const std::uint8_t> c, std::size_t dataLength)
{
    using Kind = LinkRequest::Kind;
    if (Matches<10>(c, {0x2A, 0x00, 0xA0, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x10, 0x00}))
        return Request(Kind::TableWrite, 16 * ScsiCdbDecoder::kUnitSize);
    // Storage block 28/2A 00 83 00 index 00 00 00 01 00.
    if ((c[0] == 0x28 || c[0] == 0x2A) && c[1] == 0 && c[2] == 0x83 && c[3] == 0 && c[5] == 0 &&
        c[6] == 0 && c[7] == 0 && c[8] == 0x01 && c[9] == 0) {
        return Request(c[0] == 0x28 ? Kind::BlockRead : Kind::BlockWrite, ScsiCdbDecoder::kUnitSize,
                       c[4]);
    }
    if (c[0] != 0x28 || c[1] != 0 || c[2] != 0x80 || c[3] != 0 || c[9] != 0)
        return std::nullopt;
    // Line read piece 28 00 80 00 00 00 00 count-high count-low 00.
    if (c[4] == 0) {
        const std::size_t count = BigEndian16(c[7], c[8]);
        if (c[5] != 0 || c[6] != 0 || count == 0)
            return std::nullopt;
        return Request(Kind::LineRead, count * ScsiCdbDecoder::kUnitSize);
    }
    // Disk read piece 28 00 80 00 selector offset-byte-3 offset-byte-2 00 80 00: at most 128
    // units of image data from that byte offset; the data phase says how many.
    if (c[7] != 0 || c[8] != 0x80 || dataLength == 0 ||
        dataLength % ScsiCdbDecoder::kUnitSize != 0 || dataLength > ScsiCdbDecoder::kLargestPiece)
        return std::nullopt;
    LinkRequest request = Request(Kind::DiskRead, dataLength, c[4]);
    request.offset = static_cast<std::uint64_t>(c[5]) << 24 | static_cast<std::uint64_t>(c[6])
                                                                  << 16;
    return request;
}

}  // namespace

std::optional<LinkRequest> ScsiCdbDecoder::Decode(std::span<const std::uint8_t> cdb,
                                                  std::size_t dataLength)
{
    if (cdb.size() == 6)
        return DecodeShort(cdb);
    if (cdb.size() == 10)
        return DecodeLong(cdb, dataLength);
    return std::nullopt;
}

}  // namespace camsim
