#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "camera/QVCamComm.h"

namespace scanora::test {

// A camera whose motor output drives a turntable that coasts past every destination: by the
// coarse overshoot after a move at speed 1 ("MS0001"), by the fine one otherwise. A move keeps
// the moving flag up for a few status queries and then reports the stage where it came to rest.
// Every command is recorded; any command can be made to fail with "#E02".
class FakeStageTransport final : public QVCamComm {
public:
    explicit FakeStageTransport(int modelCode = 6, TransportKind kind = TransportKind::Usb)
        : QVCamComm(kind), modelCode_(modelCode)
    {
        SetConnected(true);
    }

    void SetPosition(std::uint16_t position)
    {
        std::lock_guard guard(mutex_);
        position_ = position;
    }
    [[nodiscard]] std::uint16_t Position() const
    {
        std::lock_guard guard(mutex_);
        return position_;
    }
    void SetOvershoots(int coarse, int fine)
    {
        std::lock_guard guard(mutex_);
        coarse_ = coarse;
        fine_ = fine;
    }
    // Status queries that report the motor moving after each move; -1: it never stops.
    void SetMovingPolls(int polls)
    {
        std::lock_guard guard(mutex_);
        movingPolls_ = polls;
    }
    void SetStageOffset(std::uint16_t offset)
    {
        std::lock_guard guard(mutex_);
        offset_ = offset;
    }
    // Commands (by their leading name, e.g. "MD" or "CMG") answered with a value error.
    void Fail(const std::string& name)
    {
        std::lock_guard guard(mutex_);
        failing_.insert(name);
    }
    [[nodiscard]] std::vector<std::string> Sent() const
    {
        std::lock_guard guard(mutex_);
        return sent_;
    }
    // The commands sent since the last call.
    std::vector<std::string> TakeSent()
    {
        std::lock_guard guard(mutex_);
        std::vector<std::string> taken(sent_.begin() + static_cast<long>(taken_), sent_.end());
        taken_ = sent_.size();
        return taken;
    }
    [[nodiscard]] int StatusQueries() const
    {
        std::lock_guard guard(mutex_);
        return statusQueries_;
    }

    std::int16_t SendCommand(std::string_view text) override
    {
        std::lock_guard guard(mutex_);
        std::string command(text);
        if (!command.empty() && command.back() == '\r')
            command.pop_back();
        sent_.push_back(command);
        reply_ = Execute(command);
        return 0;
    }
    std::int16_t ReadReply(std::span<std::uint8_t, kReplySize> buffer,
                           std::uint16_t& /*length*/) override
    {
        std::lock_guard guard(mutex_);
        std::fill(buffer.begin(), buffer.end(), 0);
        const std::string reply = reply_.value_or("") + "\r";
        std::copy(reply.begin(), reply.end(), buffer.begin());
        reply_.reset();
        return 0;
    }
    bool IsReplyReady() override
    {
        std::lock_guard guard(mutex_);
        return reply_.has_value();
    }
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
    static std::string Hex4(const char* name, unsigned value)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%s%.4X", name, value & 0xFFFF);
        return text;
    }

    std::string Execute(const std::string& command)
    {
        for (const std::string& name : failing_)
            if (command.rfind(name, 0) == 0)
                return "#E02";
        const unsigned value =
            command.size() > 2
                ? static_cast<unsigned>(std::strtoul(command.c_str() + 2, nullptr, 16))
                : 0;
        if (command == "MM")
            return "MM" + std::to_string(modelCode_);
        if (command == "MV")
            return "MV019E";
        if (command == "CS") {
            ++statusQueries_;
            bool moving = remaining_ != 0;
            if (remaining_ > 0)
                --remaining_;
            if (!moving && rest_) {
                position_ = *rest_;
                rest_.reset();
            }
            char text[48];
            std::snprintf(text, sizeof text, "#S%.4X 0000 %.4X 0000 0000", moving ? 0x10u : 0u,
                          static_cast<unsigned>(position_));
            return text;
        }
        if (command == "MT")
            return Hex4("MT", offset_);
        if (command.rfind("MS", 0) == 0) {
            coarseSpeed_ = value == 1;
            return command;
        }
        if (command.rfind("MD", 0) == 0) {
            destination_ = static_cast<std::uint16_t>(value);
            return command;
        }
        if (command == "CMG") {
            const int overshoot = coarseSpeed_ ? coarse_ : fine_;
            const int direction = destination_ > position_ ? 1 : -1;
            rest_ = static_cast<std::uint16_t>(destination_ + direction * overshoot);
            remaining_ = movingPolls_;
            return "#OK";
        }
        if (command == "CMP") {
            position_ = destination_;
            return "#OK";
        }
        if (command == "CMS") {
            remaining_ = 0;
            return "#OK";
        }
        if (command.size() == 6 && command[0] == 'M')
            return command;  // motor parameters, acceleration and rate are echoed
        return "#OK";
    }

    mutable std::mutex mutex_;
    int modelCode_;
    std::vector<std::string> sent_;
    std::size_t taken_ = 0;
    std::optional<std::string> reply_;
    std::set<std::string> failing_;
    std::uint16_t position_ = 0;
    std::uint16_t destination_ = 0;
    std::optional<std::uint16_t> rest_;
    bool coarseSpeed_ = false;
    int coarse_ = 67;
    int fine_ = 1;
    int movingPolls_ = 2;
    int remaining_ = 0;
    std::uint16_t offset_ = 0;
    int statusQueries_ = 0;
};

}  // namespace scanora::test
