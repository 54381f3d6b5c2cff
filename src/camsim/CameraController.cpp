#include "camsim/CameraController.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "camsim/ParameterBlock.h"

namespace camsim {

namespace {

// The command whose reply the closing reply of a capture is.
constexpr std::string_view kStartCommand = "CLT";

struct ParsedText {
    std::string command;
    bool wellFormed = false;
};

// A command is printable ASCII ended by one carriage return; anything else is answered as a text
// the camera cannot convert into a command. A parameter block ("H00".."H03") may carry any byte
// (its notes hold the host's own text) up to the carriage return that ends it.
ParsedText ParseText(std::span<const std::uint8_t> text)
{
    const std::string_view bytes(reinterpret_cast<const char*>(text.data()), text.size());
    if (ParameterBlock::Number(bytes) && bytes.ends_with('\r'))
        return {std::string(bytes.substr(0, bytes.size() - 1)), true};
    const std::size_t end = std::min(bytes.find('\r'), bytes.size());
    const bool printable =
        std::all_of(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(end),
                    [](char c) { return c >= 0x20 && c < 0x7F; });
    return {std::string(bytes.substr(0, end)), printable && end + 1 == bytes.size()};
}

}  // namespace

CameraController::CameraController(SimConfig config, SimTimeSource timeSource, SimWaiter waiter)
    : config_(std::move(config)),
      clock_(config_.speed, std::move(timeSource), std::move(waiter)),
      state_(config_, clock_),
      cameraCommands_(state_),
      captureCommands_(state_.Capture()),
      diskCommands_(state_.Disk(), state_.Capture()),
      focusCommands_(state_, config_.link, config_.focus),
      stageCommands_(state_),
      faults_(config_.faults)
{
    cameraCommands_.AddTo(commands_);
    captureCommands_.AddTo(commands_);
    diskCommands_.AddTo(commands_);
    focusCommands_.AddTo(commands_);
    stageCommands_.AddTo(commands_);
}

bool CameraController::IsUnplugged() const
{
    return unplugged_ && !(pluggedBackAt_ && clock_.Now() >= *pluggedBackAt_);
}

bool CameraController::IsLinkDead() const
{
    return linkDead_ || IsUnplugged();
}

void CameraController::Unplug(std::optional<SimDuration> away)
{
    unplugged_ = true;
    pluggedBackAt_.reset();
    if (away)
        pluggedBackAt_ = clock_.Now() + *away;
    if (reply_.HoldsClosingReply())
        state_.Capture().ClosingReplyCleared();
    reply_.Clear();
}

void CameraController::Plug()
{
    unplugged_ = false;
    pluggedBackAt_.reset();
}

bool CameraController::ReceiveText(std::span<const std::uint8_t> text)
{
    if (IsLinkDead())
        return false;
    if (faults_.DropsLinkAfter(received_.size())) {
        linkDead_ = true;
        reply_.Clear();
        return false;
    }
    if (const std::optional<std::chrono::milliseconds> away = faults_.UnplugsAt(received_.size());
        away && !unplugFaultDone_) {
        unplugFaultDone_ = true;
        Unplug(*away);
        return false;
    }
    const ParsedText parsed = ParseText(text);
    received_.push_back(parsed.command);
    // The camera still owes a closing reply that the host has not read yet.
    if (reply_.HoldsClosingReply())
        state_.Capture().ClosingReplyCleared();
    reply_.Clear();
    state_.Capture().Advance();

    const CommandOutcome outcome = Run(parsed.command, parsed.wellFormed);
    if (outcome.reply && !faults_.Silences(parsed.command)) {
        reply_.Post({*outcome.reply, clock_.After(outcome.workSeconds) + faults_.ReplyDelay(),
                     faults_.FailsTransfer(parsed.command), outcome.reportsLastLine});
    }
    Service();
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

void CameraController::Service()
{
    CaptureEngine& capture = state_.Capture();
    capture.Advance();
    if (!reply_.IsEmpty())
        return;
    const std::optional<std::string> closing = capture.TakeDueClosingReply();
    if (closing && !faults_.Silences(kStartCommand)) {
        reply_.Post({*closing, clock_.Now() + faults_.ReplyDelay(),
                     faults_.FailsTransfer(kStartCommand), false, true});
    }
}

void CameraController::AnswerReplyReady(std::span<std::uint8_t> out)
{
    Service();
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    if (!out.empty() && reply_.IsReady(clock_.Now()))
        out[0] = kReplyReadyFlag;
}

std::optional<std::size_t> CameraController::TakeReply(std::span<std::uint8_t> out)
{
    Service();
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    const std::optional<PendingReply> reply = reply_.Take(clock_.Now());
    if (!reply)
        return 0;
    if (reply->transferFails) {
        Service();
        return std::nullopt;
    }
    // The host has seen the count reach the end: the closing reply may follow.
    if (reply->reportsLastLine)
        state_.Capture().NoteLastLineReported();
    Service();
    const std::size_t length = std::min(reply->text.size(), out.size());
    std::copy_n(reply->text.begin(), length, out.begin());
    if (length == out.size())
        return length;
    out[length] = '\r';
    return length + 1;
}

bool CameraController::ReadData(const LinkRequest& request, std::span<std::uint8_t> out)
{
    if (IsLinkDead())
        return false;
    if (request.kind == LinkRequest::Kind::DiskRead) {
        diskBytesRead_ += out.size();
        if (faults_.DropsDataBeyond(diskBytesRead_)) {
            linkDead_ = true;
            reply_.Clear();
            return false;
        }
    }
    state_.Capture().Advance();
    bool delivered = true;
    switch (request.kind) {
    case LinkRequest::Kind::LineRead: state_.Capture().ReadLines(out); break;
    case LinkRequest::Kind::DiskRead:
        state_.Disk().ReadImageData(request.selector, request.offset, out);
        break;
    case LinkRequest::Kind::BlockRead: state_.Disk().ReadHeaderBlock(request.selector, out); break;
    default: delivered = false; break;
    }
    Service();
    return delivered;
}

bool CameraController::WriteData(const LinkRequest& request, std::span<const std::uint8_t> data)
{
    if (IsLinkDead())
        return false;
    state_.Capture().Advance();
    bool taken = false;
    switch (request.kind) {
    case LinkRequest::Kind::TableWrite: taken = state_.Capture().ReceivePlane(data); break;
    case LinkRequest::Kind::BlockWrite:
        taken = state_.Disk().WriteHeaderBlock(request.selector, data);
        break;
    default: break;
    }
    Service();
    return taken;
}

}  // namespace camsim
