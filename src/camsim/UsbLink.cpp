#include "camsim/UsbLink.h"

#include <algorithm>
#include <climits>

#include "camsim/UsbBlockDecoder.h"

namespace camsim {

UsbLink::UsbLink(CameraController& camera) : camera_(camera)
{
}

int UsbLink::BulkOut(std::span<const std::uint8_t> data)
{
    if (camera_.IsLinkDead() || data.size() > INT_MAX) {
        in_.reset();
        out_.reset();
        return -1;
    }
    if (out_) {
        const LinkRequest write = *out_;
        out_.reset();
        if (data.size() != write.length || !camera_.WriteData(write, data))
            return -1;
        return static_cast<int>(data.size());
    }
    const std::optional<LinkRequest> request = UsbBlockDecoder::Decode(data);
    if (!request)
        return -1;
    // A new block abandons whatever the host left unread of the last one.
    in_.reset();
    return StartRequest(*request, data);
}

int UsbLink::StartRequest(const LinkRequest& request, std::span<const std::uint8_t> transfer)
{
    using Kind = LinkRequest::Kind;
    switch (request.kind) {
    case Kind::Text:
        if (!camera_.ReceiveText(transfer.subspan(UsbBlockDecoder::kBlockSize)))
            return -1;
        break;
    case Kind::ReplyReady:
        in_.emplace(request.length);
        camera_.AnswerReplyReady(in_->bytes);
        break;
    case Kind::ReplyRead:
        in_.emplace(request.length);
        in_->fails = !camera_.TakeReply(in_->bytes).has_value();
        break;
    case Kind::LineRead:
    case Kind::DiskRead:
    case Kind::BlockRead:
        in_.emplace(request.length);
        in_->unread = request;
        break;
    case Kind::TableWrite:
    case Kind::BlockWrite: out_ = request; break;
    case Kind::Identify: return -1;
    }
    return static_cast<int>(transfer.size());
}

int UsbLink::BulkIn(std::span<std::uint8_t> buffer)
{
    if (camera_.IsLinkDead() || !in_) {
        in_.reset();
        return -1;
    }
    if (in_->unread) {
        in_->fails = !camera_.ReadData(*in_->unread, in_->bytes);
        in_->unread.reset();
    }
    if (in_->fails) {
        in_.reset();
        return -1;
    }
    const std::size_t count =
        std::min({buffer.size(), in_->bytes.size() - in_->sent, static_cast<std::size_t>(INT_MAX)});
    std::copy_n(in_->bytes.begin() + static_cast<std::ptrdiff_t>(in_->sent), count, buffer.begin());
    in_->sent += count;
    if (in_->sent == in_->bytes.size())
        in_.reset();
    return static_cast<int>(count);
}

}  // namespace camsim
