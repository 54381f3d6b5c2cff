#include "camsim/ScsiLink.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "camsim/CameraModel.h"
#include "camsim/ScsiCdbDecoder.h"
#include "camsim/ScsiStatus.h"

namespace camsim {

namespace {

constexpr std::uint8_t kScannerDevice = 0x06;
constexpr std::uint8_t kScsi2 = 0x02;
constexpr std::string_view kVendor = "Qorvanix";

// Copies `text` into `field`, padded with blanks (INQUIRY text fields are blank-padded).
void PutText(std::span<std::uint8_t> field, std::string_view text)
{
    std::fill(field.begin(), field.end(), std::uint8_t{' '});
    std::copy_n(text.begin(), std::min(text.size(), field.size()), field.begin());
}

}  // namespace

ScsiLink::ScsiLink(CameraController& camera) : camera_(camera)
{
}

int ScsiLink::Execute(std::span<const std::uint8_t> cdb, bool dataIn, std::uint8_t* data,
                      std::size_t length, std::size_t& transferred)
{
    transferred = 0;
    if (camera_.IsLinkDead())
        return ScsiStatus::kDeviceNotConnected;
    if (data == nullptr && length != 0)
        return ScsiStatus::kGeneralFailure;
    const std::optional<LinkRequest> request = ScsiCdbDecoder::Decode(cdb, length);
    if (!request || request->IsDataIn() != dataIn)
        return ScsiStatus::kGeneralFailure;
    if (dataIn)
        return ReadPhase(*request, std::span(data, length), transferred);
    return WritePhase(*request, std::span<const std::uint8_t>(data, length), transferred);
}

int ScsiLink::ReadPhase(const LinkRequest& request, std::span<std::uint8_t> data,
                        std::size_t& transferred)
{
    using Kind = LinkRequest::Kind;
    std::vector<std::uint8_t> answer(request.length);
    std::size_t meaningful = answer.size();
    switch (request.kind) {
    case Kind::Identify: {
        const auto identification = Identification();
        answer.resize(std::min(answer.size(), identification.size()));
        std::copy_n(identification.begin(), answer.size(), answer.begin());
        meaningful = answer.size();
        break;
    }
    case Kind::ReplyReady: camera_.AnswerReplyReady(answer); break;
    case Kind::ReplyRead: {
        // The reply travels as its text and carriage return, not the padding behind it.
        const std::optional<std::size_t> replyLength = camera_.TakeReply(answer);
        if (!replyLength)
            return ScsiStatus::kIoDevice;
        meaningful = *replyLength;
        break;
    }
    default:
        if (!camera_.ReadData(request, answer))
            return ScsiStatus::kIoDevice;
        break;
    }
    transferred = std::min(meaningful, data.size());
    std::copy_n(answer.begin(), transferred, data.begin());
    return ScsiStatus::kSuccess;
}

int ScsiLink::WritePhase(const LinkRequest& request, std::span<const std::uint8_t> data,
                         std::size_t& transferred)
{
    if (data.size() != request.length)
        return ScsiStatus::kGeneralFailure;
    if (request.kind == LinkRequest::Kind::Text) {
        if (!camera_.ReceiveText(data))
            return ScsiStatus::kDeviceNotConnected;
    } else if (!camera_.WriteData(request, data)) {
        return ScsiStatus::kGeneralFailure;
    }
    transferred = data.size();
    return ScsiStatus::kSuccess;
}

std::array<std::uint8_t, ScsiLink::kIdentificationLength> ScsiLink::Identification() const
{
    const SimConfig& config = camera_.Config();
    std::string revision = config.revision;
    if (revision.empty()) {
        // The firmware version in hundredths, as "4.14".
        char text[16];
        std::snprintf(text, sizeof text, "%u.%.2u", config.firmware / 100u, config.firmware % 100u);
        revision = text;
    }
    std::array<std::uint8_t, kIdentificationLength> answer{};
    answer[0] = kScannerDevice;
    answer[2] = kScsi2;
    answer[3] = kScsi2;                     // response data format
    answer[4] = kIdentificationLength - 5;  // additional length
    const std::span<std::uint8_t> bytes(answer);
    PutText(bytes.subspan(8, 8), kVendor);
    PutText(bytes.subspan(16, 16), CameraModel::ForCode(config.model).productId);
    PutText(bytes.subspan(32, 4), revision);
    return answer;
}

}  // namespace camsim
