#include "camsim/CaptureSetup.h"

#include <algorithm>

#include "camsim/CommandOutcome.h"
#include "camsim/HexText.h"
#include "camsim/ParameterBlockDecoder.h"

namespace camsim {

CaptureSetup::CaptureSetup(const CameraModel& model) : model_(model)
{
}

void CaptureSetup::Clear()
{
    bodies_ = {};
    parameters_ = CaptureParameters();
    exposureTime_.reset();
    stage_ = Stage::Collecting;
}

unsigned CaptureSetup::ReceiveBlock(std::string_view block)
{
    const std::optional<std::string_view> body = ParameterBlock::Body(block);
    if (!body)
        return CameraErrorCode::kConversionError;
    const std::size_t number = *ParameterBlock::Number(block);
    if (number == 0)
        Clear();
    stage_ = Stage::Collecting;
    unsigned result = CameraErrorCode::kNone;
    if (number == 0) {
        result = ParameterBlockDecoder::DecodeH00(*body, model_, parameters_);
    } else if (number == 1) {
        // H01 is read into a copy so that a refused block leaves the set-up as it was.
        CaptureParameters decoded = parameters_;
        result = ParameterBlockDecoder::DecodeH01(*body, decoded);
        if (result == CameraErrorCode::kNone)
            parameters_ = std::move(decoded);
    }
    if (result == CameraErrorCode::kNone)
        bodies_[number] = std::string(*body);
    return result;
}

unsigned CaptureSetup::Begin()
{
    if (!std::all_of(bodies_.begin(), bodies_.end(), [](const auto& body) { return body; }))
        return CameraErrorCode::kNotReady;
    unsigned result = ParameterBlockDecoder::CheckCurve(parameters_);
    if (result == CameraErrorCode::kNone)
        result = ParameterBlockDecoder::DecodeNotes(*bodies_[2], *bodies_[3], parameters_);
    if (result == CameraErrorCode::kNone)
        stage_ = Stage::Begun;
    return result;
}

unsigned CaptureSetup::SetExposureTime(std::uint16_t time)
{
    if (!bodies_[0])
        return CameraErrorCode::kNotReady;
    if (time == 0)
        return CameraErrorCode::kValueError;
    exposureTime_ = time;
    return CameraErrorCode::kNone;
}

unsigned CaptureSetup::Prepare()
{
    if (stage_ == Stage::Collecting)
        return CameraErrorCode::kNotReady;
    stage_ = Stage::Prepared;
    return CameraErrorCode::kNone;
}

std::uint16_t CaptureSetup::IntegrationTime() const
{
    return exposureTime_ ? std::min(*exposureTime_, parameters_.linePeriod)
                         : parameters_.linePeriod;
}

std::array<std::uint8_t, CaptureSetup::kHeaderSize> CaptureSetup::HeaderBlock() const
{
    std::array<std::uint8_t, kHeaderSize> header{};
    auto at = header.begin();
    for (const std::optional<std::string>& body : bodies_) {
        if (body)
            std::copy(body->begin(), body->end(), at);
        at += ParameterBlock::kBodyLength;
    }
    const std::string lineTime = HexText::Format(IntegrationTime(), 4);
    std::copy(lineTime.begin(), lineTime.end(), header.begin() + kHeaderLineTimeOffset);
    return header;
}

}  // namespace camsim
