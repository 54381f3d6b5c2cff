#include "camsim/ParameterBlockDecoder.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "camsim/CaptureRecipe.h"
#include "camsim/CommandOutcome.h"
#include "camsim/HexText.h"

namespace camsim {

namespace {

constexpr std::uint16_t kHighestGainCode = 3575;  // 13.0 dB: 130 × 25.5 + 260
constexpr std::uint16_t kNoStageFocalLength = 1000;
constexpr std::uint16_t kShortestStageFocal = 20;  // 2 mm × 10
constexpr std::uint16_t kLongestStageFocal = 6000;
constexpr std::uint32_t kMostLines = 0xFFFF;  // what the status word can count
constexpr std::uint16_t kKnownFlags = 0x37;
constexpr std::string_view kH01Zeros = " 0000 0000 0000  0000 0000 0000  ";

// Walks a body field by field; the first mismatch makes every later read fail too.
class FieldReader {
public:
    explicit FieldReader(std::string_view text) : text_(text) {}

    bool Literal(std::string_view literal)
    {
        ok_ = ok_ && at_ <= text_.size() && text_.substr(at_).starts_with(literal);
        at_ += literal.size();
        return ok_;
    }
    std::string_view Take(std::size_t count)
    {
        ok_ = ok_ && at_ + count <= text_.size();
        const std::string_view taken = ok_ ? text_.substr(at_, count) : std::string_view();
        at_ += count;
        return taken;
    }
    // Four upper-case digits and the blank behind them.
    std::uint16_t Number()
    {
        const std::optional<unsigned> value = HexText::Parse(Take(4), 4, HexText::Case::Upper);
        ok_ = ok_ && value.has_value() && Literal(" ");
        return ok_ ? static_cast<std::uint16_t>(*value) : 0;
    }
    [[nodiscard]] bool Finished() const { return ok_ && at_ == text_.size(); }

private:
    std::string_view text_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

int Signed16(std::uint16_t value)
{
    return static_cast<std::int16_t>(value);
}

// The insert code of the output flags' bits 4..5: 0 From Top, 1 From Bottom, 2 From Right,
// 3 From Left.
int InsertCode(std::uint16_t flags)
{
    static constexpr int kCodes[] = {2, 4, 3, 1};
    return kCodes[(flags >> 4) & 3];
}

}  // namespace

unsigned ParameterBlockDecoder::DecodeH00(std::string_view body, const CameraModel& model,
                                          CaptureParameters& p)
{
    using namespace CameraErrorCode;
    FieldReader reader(body);
    reader.Literal("0000 ");
    const std::string_view code = reader.Take(4);
    reader.Literal(" 0000  ");
    const std::uint16_t timeHigh = reader.Number();
    const std::uint16_t timeLow = reader.Number();
    const std::uint16_t modelCode = reader.Number();
    reader.Literal(" ");
    p.pixelsPerLine = reader.Number();
    const std::uint16_t linesLow = reader.Number();
    const std::uint16_t linesHigh = reader.Number();
    reader.Literal(" ");
    p.firstPixelPosition = reader.Number();
    p.firstLinePosition = reader.Number();
    p.focalLength = reader.Number();
    reader.Literal(" ");
    const int step = Signed16(reader.Number());
    const int stepAgain = Signed16(reader.Number());
    p.format = reader.Number();
    reader.Literal(" ");
    p.linePeriod = reader.Number();
    const std::uint16_t two = reader.Number();
    const std::uint16_t zero = reader.Number();
    reader.Literal(" ");
    for (std::uint16_t& gain : p.gainCodes) gain = reader.Number();
    reader.Literal(" ");
    p.curvePointCount = reader.Number();
    p.curvePoints = {};
    p.curvePoints[0] = reader.Number();
    p.curvePoints[1] = reader.Number();
    reader.Literal(" ");
    if (!reader.Finished() || two != 2 || zero != 0)
        return kValueError;

    if ((code[0] != '0' && code[0] != 'D') || (code[1] != '0' && code[1] != 'P') ||
        code.substr(2) != "00")
        return kValueError;
    p.prescan = code[0] == 'D';
    p.rotatingStage = code[1] == 'P';
    p.captureTime = std::uint32_t{timeHigh} << 16 | timeLow;
    p.model = modelCode;
    p.lines = std::uint32_t{linesHigh} << 16 | linesLow;
    p.sizeStep = step;

    const bool stepKnown =
        step == stepAgain && step >= model.minSizeStep && step < model.maxSizeStep;
    if (modelCode != model.code || !stepKnown || !CaptureRecipe::IsKnownFormat(p.format) ||
        p.linePeriod == 0 || p.curvePointCount > CaptureParameters::kCurvePoints)
        return kValueError;
    for (const std::uint16_t gain : p.gainCodes) {
        if (gain < SensorExposure::kUnityGain || gain > kHighestGainCode)
            return kValueError;
    }
    // The window must fit the sensor at this size step; a rotating stage turns past the field.
    const int samples = model.maxSizeStep - step;
    const auto widest = static_cast<std::uint32_t>(model.sensorWidth * samples / model.maxSizeStep);
    const auto longest =
        static_cast<std::uint32_t>(model.linesAlongTravel * samples / model.maxSizeStep);
    if (p.pixelsPerLine == 0 || p.pixelsPerLine > widest || p.lines == 0 || p.lines > kMostLines)
        return kValueError;
    if (p.rotatingStage) {
        if (p.firstLinePosition != 0 || p.focalLength < kShortestStageFocal ||
            p.focalLength > kLongestStageFocal)
            return kValueError;
        return kNone;
    }
    if (p.lines > longest || p.focalLength != kNoStageFocalLength)
        return kValueError;
    // No size step lets the carriage read a line faster than at the finest one.
    if (p.linePeriod < MinimumLinePeriod(model, model.minSizeStep))
        return kMathError;
    return kNone;
}

unsigned ParameterBlockDecoder::DecodeH01(std::string_view body, CaptureParameters& p)
{
    FieldReader reader(body);
    for (std::size_t i = 2; i < 5; ++i) p.curvePoints[i] = reader.Number();
    reader.Literal(" ");
    for (std::size_t i = 5; i < CaptureParameters::kCurvePoints; ++i)
        p.curvePoints[i] = reader.Number();
    p.outputFlags = reader.Number();
    reader.Literal(kH01Zeros);
    const std::string_view name = reader.Take(CaptureParameters::kNameLength);
    if (!reader.Finished() || (p.outputFlags & ~kKnownFlags) != 0)
        return CameraErrorCode::kValueError;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return CameraErrorCode::kValueError;
    }
    p.insertCode = InsertCode(p.outputFlags);
    p.name = std::string(name);
    return CameraErrorCode::kNone;
}

unsigned ParameterBlockDecoder::DecodeNotes(std::string_view h02, std::string_view h03,
                                            CaptureParameters& p)
{
    if (h02.empty())
        return CameraErrorCode::kValueError;
    const std::size_t length = static_cast<unsigned char>(h02[0]);
    const std::string_view first = h02.substr(1);
    const std::size_t inFirst = std::min(length, first.size());
    const std::size_t inSecond = length - inFirst;
    if (inSecond > h03.size())
        return CameraErrorCode::kValueError;
    // What lies beyond the text's length is padding, blanks only.
    const auto blanks = [](std::string_view padding) {
        return padding.find_first_not_of(' ') == std::string_view::npos;
    };
    if (!blanks(first.substr(inFirst)) || !blanks(h03.substr(inSecond)))
        return CameraErrorCode::kValueError;
    p.notes = std::string(first.substr(0, inFirst)) + std::string(h03.substr(0, inSecond));
    return CameraErrorCode::kNone;
}

unsigned ParameterBlockDecoder::CheckCurve(const CaptureParameters& p)
{
    for (std::size_t i = p.curvePointCount; i < CaptureParameters::kCurvePoints; ++i) {
        if (p.curvePoints[i] != 0)
            return CameraErrorCode::kValueError;
    }
    return CameraErrorCode::kNone;
}

int ParameterBlockDecoder::MinimumLinePeriod(const CameraModel& model, int sizeStep)
{
    // The carriage's fastest travel: 2202 / ((k × 1000 × 3176 × 256) / (pitch × M × 500))
    // line-time units, k = M − step, rounded up.
    const double k = model.maxSizeStep - sizeStep;
    const double rate = (k * 1000.0 * 3176.0 * 256.0) /
                        (static_cast<double>(model.pixelPitch) * model.maxSizeStep * 500.0);
    return rate > 0.0 ? static_cast<int>(std::ceil(2202.0 / rate)) : 0;
}

}  // namespace camsim
