#include "camsim/ImageHeader.h"

#include <algorithm>
#include <string>

#include "camsim/HexText.h"

namespace camsim {

namespace {

std::string Hex(unsigned value)
{
    return HexText::Format(value, 4);
}

}  // namespace

std::array<std::uint8_t, ImageHeader::kSize> ImageHeader::Compose(const CaptureParameters& p,
                                                                  std::uint16_t integration)
{
    const auto& c = p.curvePoints;
    std::string text = "0000 ";
    text += p.prescan ? 'D' : '0';
    text += p.rotatingStage ? 'P' : '0';
    text += "00 0000  " + Hex(p.captureTime >> 16) + " " + Hex(p.captureTime & 0xFFFF) + " " +
            Hex(static_cast<unsigned>(p.model)) + "  " + Hex(p.pixelsPerLine) + " " +
            Hex(p.lines & 0xFFFF) + " " + Hex(p.lines >> 16) + "  " + Hex(p.firstPixelPosition) +
            " " + Hex(p.firstLinePosition) + " " + Hex(p.focalLength) + "  " +
            Hex(static_cast<unsigned>(p.sizeStep)) + " " + Hex(static_cast<unsigned>(p.sizeStep)) +
            " " + Hex(p.format) + "  " + Hex(integration) + " 0002 0000  " + Hex(p.gainCodes[0]) +
            " " + Hex(p.gainCodes[1]) + " " + Hex(p.gainCodes[2]) + "  " + Hex(p.curvePointCount) +
            " " + Hex(c[0]) + " " + Hex(c[1]) + "  ";
    text += Hex(c[2]) + " " + Hex(c[3]) + " " + Hex(c[4]) + "  " + Hex(c[5]) + " " + Hex(c[6]) +
            " " + Hex(p.outputFlags) + "  0000 0000 0000  0000 0000 0000  ";
    std::string name = p.name.substr(0, CaptureParameters::kNameLength);
    name.resize(CaptureParameters::kNameLength, ' ');
    text += name;

    std::array<std::uint8_t, kSize> header{};
    header.fill(' ');
    std::copy_n(text.begin(), std::min(text.size(), kNotesLengthOffset), header.begin());
    const std::size_t notes = std::min(p.notes.size(), kMostNotes);
    header[kNotesLengthOffset] = static_cast<std::uint8_t>(notes);
    std::copy_n(p.notes.begin(), notes, header.begin() + kNotesOffset);
    return header;
}

}  // namespace camsim
