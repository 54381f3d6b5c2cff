#include "camera/ParameterBlocks.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/TextConversion.h"

namespace scanora {
namespace {

// "%4.4X": four upper-case hexadecimal digits, negative values as 16-bit two's complement.
void AppendHex4(std::string& out, int value)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto word = static_cast<std::uint16_t>(value);
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kDigits[(word >> shift) & 0xF]);
}

// Numbers separated by one blank, the group closed by `tail`.
void AppendGroup(std::string& out, std::initializer_list<int> values, std::string_view tail)
{
    bool first = true;
    for (const int value : values) {
        if (!first)
            out.push_back(' ');
        AppendHex4(out, value);
        first = false;
    }
    out.append(tail);
}

int PackHandle(std::span<const CurveHandle> handles, std::size_t index)
{
    if (index >= handles.size() || index >= 7)
        return 0;
    return handles[index].x * 256 + handles[index].y;
}

void PadTo(std::string& text, std::size_t length)
{
    if (text.size() < length)
        text.append(length - text.size(), ' ');
}

void AppendFixed1(std::string& out, double value)
{
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, 1);
    out.append(buffer.data(), result.ptr);
}

}  // namespace

std::uint8_t ParameterBlocks::Checksum(std::string_view text)
{
    unsigned sum = 0;
    for (const char c : text) sum += static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::string ParameterBlocks::Seal(std::string text)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const std::uint8_t sum = Checksum(text);
    text.push_back(kDigits[sum >> 4]);
    text.push_back(kDigits[sum & 0xF]);
    text.push_back('\r');
    return text;
}

std::uint64_t ParameterBlocks::SecondsSince1904(std::int64_t unixSeconds)
{
    return static_cast<std::uint64_t>(unixSeconds) + kSeconds1904To1970;
}

std::string ParameterBlocks::CaptureCode(const CaptureBlockInputs& in)
{
    std::string code = "0000";
    if (in.kind == CaptureKind::Prescan)
        code[0] = 'D';
    if (in.rotatingStage)
        code[1] = 'P';
    return code;
}

int ParameterBlocks::FormatCode(const CaptureBlockInputs& in)
{
    if (in.kind == CaptureKind::Prescan)
        return 0x6C;
    const bool eightBit = in.tableMode == TableMode::Curve8Bit;
    if (in.colourMode == ColourMode::Colour)
        return eightBit ? 0x3C : 0x6C;
    return (eightBit ? 0x10 : 0x20) + static_cast<int>(in.colourMode);
}

int ParameterBlocks::GainCode(double totalTenths)
{
    return static_cast<int>(std::trunc(totalTenths * 25.5 + 260.0));
}

int ParameterBlocks::OutputFlags(const CaptureBlockInputs& in)
{
    int flags = (in.use16BitCurve ? 0x1 : 0) | (in.none14 ? 0x2 : 0) | (in.negative ? 0x4 : 0);
    switch (in.orientation) {
    case 4: flags |= 0x10; break;
    case 3: flags |= 0x20; break;
    case 1: flags |= 0x30; break;
    default: break;
    }
    return flags;
}

std::string ParameterBlocks::ImageName(std::string_view name)
{
    // The camera keeps names in Windows-1252, one byte a character, as the Windows program
    // writes them: a UTF-8 name is converted so that it reads back as it was typed.
    std::string out = name.empty() ? std::string("Untitled") : TextConversion::ToWindows1252(name);
    out.resize(std::min(out.size(), kNameLength));
    // The camera refuses control characters in the name; they become blanks.
    std::replace_if(
        out.begin(), out.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, ' ');
    return out;
}

std::string ParameterBlocks::BuildH00(const CaptureBlockInputs& in)
{
    std::string text = "H000000 ";
    text.reserve(kBlockLength);
    text += CaptureCode(in);
    text += " 0000  ";

    const auto time32 = static_cast<std::uint32_t>(in.captureTime1904);
    AppendGroup(text,
                {static_cast<int>(time32 >> 16), static_cast<int>(time32 & 0xFFFF), in.modelCode},
                "  ");

    const int width = in.kind == CaptureKind::Scan ? (in.width & ~1) : in.width;
    AppendGroup(
        text, {width, static_cast<int>(in.lines & 0xFFFF), static_cast<int>(in.lines >> 16)}, "  ");

    const auto position = [&](int offset) {
        return static_cast<int>(static_cast<std::int64_t>(in.pixelPitch) * offset / 1000);
    };
    AppendGroup(text,
                {position(in.offsetAcross), in.rotatingStage ? 0 : position(in.offsetAlong),
                 in.rotatingStage ? in.stageFocalTenths : 1000},
                "  ");

    AppendGroup(text, {in.sizeStep, in.sizeStep}, " ");
    AppendGroup(text, {FormatCode(in)}, "  ");
    AppendGroup(text, {std::max(in.requestedLineTime, in.minLineTime), 2, 0}, "  ");
    AppendGroup(
        text,
        {GainCode(in.totalTenths[0]), GainCode(in.totalTenths[1]), GainCode(in.totalTenths[2])},
        "  ");
    const int count = static_cast<int>(std::min<std::size_t>(in.handles.size(), 7));
    AppendGroup(text, {count, PackHandle(in.handles, 0), PackHandle(in.handles, 1)}, "  ");
    return Seal(std::move(text));
}

std::string ParameterBlocks::BuildH01(const CaptureBlockInputs& in)
{
    std::string text = "H01";
    text.reserve(kBlockLength);
    AppendGroup(text,
                {PackHandle(in.handles, 2), PackHandle(in.handles, 3), PackHandle(in.handles, 4)},
                "  ");
    AppendGroup(text, {PackHandle(in.handles, 5), PackHandle(in.handles, 6)}, " ");
    AppendGroup(text, {OutputFlags(in)}, " ");
    text += " 0000 0000 0000  0000 0000 0000  ";
    text += ImageName(in.name);
    PadTo(text, kTextLength);
    return Seal(std::move(text));
}

std::string ParameterBlocks::BuildH02(std::string_view combined)
{
    combined = combined.substr(0, kMaxText);
    std::string text = "H02";
    text.reserve(kBlockLength);
    text.push_back(static_cast<char>(static_cast<unsigned char>(combined.size())));
    text.append(combined.substr(0, kH02TextLength));
    PadTo(text, kTextLength);
    return Seal(std::move(text));
}

std::string ParameterBlocks::BuildH03(std::string_view combined)
{
    combined = combined.substr(0, kMaxText);
    std::string text = "H03";
    text.reserve(kBlockLength);
    if (combined.size() > kH02TextLength)
        text.append(combined.substr(kH02TextLength));
    PadTo(text, kTextLength);
    return Seal(std::move(text));
}

std::string ParameterBlocks::CombineTexts(std::string_view description, std::string_view userText)
{
    std::string combined(description.substr(0, kMaxText));
    // The user's text reaches the camera in its character set, as the name does.
    combined.append(TextConversion::ToWindows1252(userText).substr(0, kMaxText - combined.size()));
    return combined;
}

std::string ParameterBlocks::BuildDescription(const CaptureBlockInputs& in,
                                              const DescriptionInputs& d)
{
    static constexpr std::string_view kSeparator = ", ";
    std::string text(ImageName(in.name));
    text += kSeparator;
    text += d.date;
    text += kSeparator;
    text += d.time;
    text += kSeparator;
    text += in.tableMode == TableMode::Curve8Bit ? " 8" : "16";
    static constexpr std::string_view kColourLetters = "CRGB";
    text.push_back(kColourLetters[static_cast<std::size_t>(in.colourMode) & 3]);
    text += kSeparator;
    // The output size, the size (or stage) values and the size percentage are separate
    // items, as are the three gains: the notes export labels each item by its place.
    text += std::to_string(d.outputWidth) + "x" + std::to_string(d.outputHeight);
    text += kSeparator;
    if (in.rotatingStage) {
        text += " (";
        AppendFixed1(text, d.stageValueA);
        text += "/";
        AppendFixed1(text, d.stageValueB);
        text += ")";
    } else {
        text += " (" + std::to_string(d.sizeValueA) + "+" + std::to_string(d.sizeValueB) + ")";
    }
    text += kSeparator;
    text += std::to_string(d.sizePercent) + "%";
    text += kSeparator;
    text += d.panelText;
    text += kSeparator;
    text += d.lineTimeLabel;
    text += kSeparator;
    text += "R";
    AppendFixed1(text, d.totalTenths[0]);
    text += kSeparator;
    text += "G";
    AppendFixed1(text, d.totalTenths[1]);
    text += kSeparator;
    text += "B";
    AppendFixed1(text, d.totalTenths[2]);
    // The text always ends in its carriage return, even when the items had to be cut.
    if (text.size() >= kMaxText)
        text.resize(kMaxText - 1);
    text.push_back('\r');
    return text;
}

TableMode BlockTableMode(bool usb, bool none14, bool use16BitCurve)
{
    if (none14 || usb)
        return TableMode::Linear;
    return use16BitCurve ? TableMode::Curve16Bit : TableMode::Curve8Bit;
}

TableMode ScanTableMode(bool none14, bool use16BitCurve)
{
    if (none14)
        return TableMode::Linear;
    return use16BitCurve ? TableMode::Curve16Bit : TableMode::Curve8Bit;
}

}  // namespace scanora
