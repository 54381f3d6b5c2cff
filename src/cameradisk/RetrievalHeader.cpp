#include "cameradisk/RetrievalHeader.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

#include "cameradisk/HexFieldReader.h"

namespace scanora {

namespace {

// Reads up to `values.size()` blank-separated hexadecimal numbers from `text`, as "%x %x ..."
// would, without running past the block. Returns how many were read; the rest stay zero.
std::size_t ReadHexFields(std::span<const std::uint8_t> text, std::span<std::uint32_t> values)
{
    HexFieldReader reader(
        std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    std::size_t count = 0;
    for (; count < values.size(); ++count) {
        const std::optional<std::uint32_t> value = reader.Next();
        if (!value)
            break;
        values[count] = *value;
    }
    return count;
}

}  // namespace

RetrievalHeader RetrievalHeader::Parse(std::span<const std::uint8_t, DiskEntry::kHeaderBytes> block)
{
    RetrievalHeader header;
    const auto from = [&block](std::size_t offset) { return std::span(block).subspan(offset); };

    std::array<std::uint32_t, 1> lineTime{};
    ReadHexFields(from(kLineTimeOffset), lineTime);
    header.lineTimeCode = lineTime[0];
    ReadHexFields(from(kGainOffset), header.gainCodes);

    // The handle count, seven packed handles (x * 256 + y) and the flags.
    std::array<std::uint32_t, 2 + kMaxHandles> curve{};
    const std::size_t read = ReadHexFields(from(kCurveOffset), curve);
    // A count beyond the handles there are, or handles missing: no curve.
    const std::size_t count = curve[0] <= kMaxHandles && read >= 1 + curve[0] ? curve[0] : 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t packed = curve[1 + i];
        header.handles.push_back({static_cast<std::int16_t>((packed >> 8) & 0xFF),
                                  static_cast<std::int16_t>(packed & 0xFF)});
    }
    std::array<std::uint32_t, 1> flags{};
    ReadHexFields(from(kFlagsOffset), flags);
    header.flags = flags[0];

    // The notes: a length byte, then the capture notes line, "\r" and the user's notes.
    const std::size_t length =
        std::min<std::size_t>(block[kNotesLengthOffset], block.size() - kNotesOffset);
    const auto notes = from(kNotesOffset).first(length);
    std::string text(notes.begin(), notes.end());
    text = text.substr(0, text.find('\0'));
    const std::size_t end = text.find('\r');
    header.captureNotes = text.substr(0, end);
    if (end != std::string::npos)
        header.userNotes = text.substr(end + 1);
    return header;
}

double RetrievalHeader::Gain(std::size_t colour) const
{
    const double code = colour < gainCodes.size() ? gainCodes[colour] : 260.0;
    return std::pow(10.0, (code - 260.0) / 2550.0);
}

}  // namespace scanora
