#include "support/ScriptedTransport.h"

#include <algorithm>

namespace scanora::test {

ScriptedTransport::ScriptedTransport(TransportKind kind, bool connected) : QVCamComm(kind)
{
    SetConnected(connected);
}

void ScriptedTransport::Answer(const std::string& command, const std::string& reply)
{
    std::lock_guard guard(mutex_);
    replies_[command] = reply;
}

void ScriptedTransport::NeverAnswer(const std::string& command)
{
    std::lock_guard guard(mutex_);
    silent_.insert(command);
}

void ScriptedTransport::SetSendStatus(std::int16_t status)
{
    std::lock_guard guard(mutex_);
    sendStatus_ = status;
}

void ScriptedTransport::SetReadStatus(std::int16_t status)
{
    std::lock_guard guard(mutex_);
    readStatus_ = status;
}

std::vector<std::string> ScriptedTransport::Sent() const
{
    std::lock_guard guard(mutex_);
    return sent_;
}

int ScriptedTransport::ReadyPolls() const
{
    std::lock_guard guard(mutex_);
    return readyPolls_;
}

std::int16_t ScriptedTransport::SendCommand(std::string_view text)
{
    std::lock_guard guard(mutex_);
    std::string command(text);
    if (!command.empty() && command.back() == '\r')
        command.pop_back();
    sent_.push_back(command);
    if (sendStatus_ != 0)
        return sendStatus_;
    if (silent_.count(command))
        pending_.reset();
    else if (const auto found = replies_.find(command); found != replies_.end())
        pending_ = found->second;
    else
        pending_ = "#OK";
    return 0;
}

std::int16_t ScriptedTransport::ReadReply(std::span<std::uint8_t, kReplySize> buffer,
                                          std::uint16_t& length)
{
    std::lock_guard guard(mutex_);
    std::fill(buffer.begin(), buffer.end(), 0);
    const std::string reply = pending_.value_or("") + "\r";
    std::copy_n(reply.begin(), std::min(reply.size(), buffer.size()), buffer.begin());
    pending_.reset();
    // A SCSI transfer says how much arrived; USB always brings the whole buffer.
    if (Kind() == TransportKind::Scsi)
        length = static_cast<std::uint16_t>(std::min(reply.size(), buffer.size()));
    return readStatus_;
}

bool ScriptedTransport::IsReplyReady()
{
    std::lock_guard guard(mutex_);
    ++readyPolls_;
    return pending_.has_value();
}

}  // namespace scanora::test
