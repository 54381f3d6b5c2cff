#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "camera/CommandTrace.h"

namespace scanora::test {

// Records every command text the host sent, byte for byte; safe to read while workers send.
class SentCommands final : public CommandTrace {
public:
    void OnCommand(std::string_view text) override
    {
        const std::lock_guard lock(mutex_);
        sent_.emplace_back(text);
    }
    void OnReply(std::string_view, bool) override {}
    void OnFailure(std::string_view) override {}
    void OnDataPhase(std::string_view, Direction, std::size_t) override {}
    [[nodiscard]] std::vector<std::string> Sent() const
    {
        const std::lock_guard lock(mutex_);
        return sent_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> sent_;
};

}  // namespace scanora::test
