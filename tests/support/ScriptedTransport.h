#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "camera/QVCamComm.h"

namespace scanora::test {

// A transport that answers command texts from a script: each command (without its carriage
// return) maps to the reply text the camera gives. Commands not in the script answer "#OK".
class ScriptedTransport final : public QVCamComm {
public:
    explicit ScriptedTransport(TransportKind kind = TransportKind::Usb, bool connected = true);

    // The reply to a command.
    void Answer(const std::string& command, const std::string& reply);
    // The command is taken but never answered.
    void NeverAnswer(const std::string& command);
    // Status results of the next sends and reply reads (0 = success).
    void SetSendStatus(std::int16_t status);
    void SetReadStatus(std::int16_t status);

    [[nodiscard]] std::vector<std::string> Sent() const;
    [[nodiscard]] int ReadyPolls() const;

    std::int16_t SendCommand(std::string_view text) override;
    std::int16_t ReadReply(std::span<std::uint8_t, kReplySize> buffer,
                           std::uint16_t& length) override;
    bool IsReplyReady() override;
    std::int32_t ReadData(std::uint8_t, std::span<std::uint8_t>, std::uint16_t,
                          std::uint16_t) override
    {
        return -1;
    }
    std::int16_t WriteTable(std::span<const std::uint8_t, kTableSize>) override { return 0; }
    std::int16_t ReadBlocks(std::uint16_t, std::span<std::uint8_t>, std::uint32_t) override
    {
        return -1;
    }
    std::int16_t TransferBlock(std::uint8_t, std::span<std::uint8_t, kBlockSize>, bool) override
    {
        return -1;
    }

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::string> replies_;
    std::set<std::string> silent_;
    std::vector<std::string> sent_;
    std::optional<std::string> pending_;
    std::int16_t sendStatus_ = 0;
    std::int16_t readStatus_ = 0;
    int readyPolls_ = 0;
};

}  // namespace scanora::test
