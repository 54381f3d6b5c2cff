#include "camsim/CameraController.h"

#include <algorithm>
#include <utility>

namespace camsim {

CameraController::CameraController(SimConfig config, SimTimeSource timeSource)
    : config_(std::move(config)),
      clock_(config_.speed, std::move(timeSource)),
      state_(config_, clock_),
      handlers_(state_),
      faults_(config_.faults)
{
    handlers_.AddTo(commands_);
}

bool CameraController::ReceiveText(std::span<const std::uint8_t> text)
{
    if (linkDead_ || faults_.DropsLinkAfter(received_.size())) {
        linkDead_ = true;
        reply_.Clear();
        return false;
    }
    // A command is printable ASCII ended by one carriage return; anything else is answered as
    // a text the camera cannot convert into a command.
    const auto end = std::find(text.begin(), text.end(), std::uint8_t{'\r'});
    const bool printable =
        std::all_of(text.begin(), end, [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; });
    const bool wellFormed = printable && end != text.end() && end + 1 == text.end();
    std::string command(text.begin(), end);
    received_.push_back(command);
    reply_.Clear();

    const CommandOutcome outcome = Run(command, wellFormed);
    if (outcome.reply && !faults_.Silences(command)) {
        reply_.Post({*outcome.reply, clock_.After(outcome.workSeconds) + faults_.ReplyDelay(),
                     faults_.FailsTransfer(command)});
    }
    return true;
}

CommandOutcome CameraController::Run(const std::string& command, bool wellFormed)
{
    if (!wellFormed)
        return CommandOutcome::Error(CameraErrorCode::kConversionError);
    if (const std::optional<unsigned> code = faults_.ErrorFor(command))
        return CommandOutcome::Error(*code);
    return commands_.Execute(command);
}

void CameraController::AnswerReplyReady(std::span<std::uint8_t> out) const
{
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    if (!out.empty() && reply_.IsReady(clock_.Now()))
        out[0] = kReplyReadyFlag;
}

std::optional<std::size_t> CameraController::TakeReply(std::span<std::uint8_t> out)
{
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    const std::optional<PendingReply> reply = reply_.Take(clock_.Now());
    if (!reply)
        return 0;
    if (reply->transferFails)
        return std::nullopt;
    const std::size_t length = std::min(reply->text.size(), out.size());
    std::copy_n(reply->text.begin(), length, out.begin());
    if (length == out.size())
        return length;
    out[length] = '\r';
    return length + 1;
}

bool CameraController::ReadData(const LinkRequest& request, std::span<std::uint8_t> out) const
{
    switch (request.kind) {
        case LinkRequest::Kind::LineRead: state_.ReadLines(out); return true;
        case LinkRequest::Kind::DiskRead:
            state_.Disk().ReadImageData(request.selector, request.offset, out);
            return true;
        case LinkRequest::Kind::BlockRead:
            state_.Disk().ReadHeaderBlock(request.selector, out);
            return true;
        default: return false;
    }
}

bool CameraController::WriteData(const LinkRequest& request, std::span<const std::uint8_t> data)
{
    switch (request.kind) {
        case LinkRequest::Kind::TableWrite: state_.ReceiveTablePlane(data); return true;
        case LinkRequest::Kind::BlockWrite:
            return state_.Disk().WriteHeaderBlock(request.selector, data);
        default: return false;
    }
}

}  // namespace camsim
