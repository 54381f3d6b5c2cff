#include "camsim/SimFaultPlan.h"

#include <algorithm>
#include <utility>

namespace camsim {

SimFaultPlan::SimFaultPlan(std::vector<SimFault> faults) : faults_(std::move(faults))
{
}

const SimFault* SimFaultPlan::Find(SimFault::Kind kind, std::string_view command) const
{
    for (const SimFault& fault : faults_) {
        if (fault.kind == kind && !fault.command.empty() && command.starts_with(fault.command))
            return &fault;
    }
    return nullptr;
}

bool SimFaultPlan::Silences(std::string_view command) const
{
    return Find(SimFault::Kind::NoReply, command) != nullptr;
}

std::optional<unsigned> SimFaultPlan::ErrorFor(std::string_view command) const
{
    const SimFault* fault = Find(SimFault::Kind::Error, command);
    return fault ? std::optional<unsigned>(fault->value) : std::nullopt;
}

bool SimFaultPlan::FailsTransfer(std::string_view command) const
{
    return Find(SimFault::Kind::Transfer, command) != nullptr;
}

bool SimFaultPlan::DropsLinkAfter(std::size_t count) const
{
    return std::any_of(faults_.begin(), faults_.end(), [count](const SimFault& fault) {
        return fault.kind == SimFault::Kind::Drop && count >= fault.value;
    });
}

std::optional<std::chrono::milliseconds> SimFaultPlan::UnplugsAt(std::size_t count) const
{
    for (const SimFault& fault : faults_) {
        if (fault.kind == SimFault::Kind::Unplug && count == fault.value)
            return std::chrono::milliseconds(fault.away);
    }
    return std::nullopt;
}

bool SimFaultPlan::DropsDataBeyond(std::uint64_t total) const
{
    return std::any_of(faults_.begin(), faults_.end(), [total](const SimFault& fault) {
        return fault.kind == SimFault::Kind::DropData && total > fault.bytes;
    });
}

std::chrono::milliseconds SimFaultPlan::ReplyDelay() const
{
    std::chrono::milliseconds delay{0};
    for (const SimFault& fault : faults_) {
        if (fault.kind == SimFault::Kind::Slow)
            delay = std::max(delay, std::chrono::milliseconds(fault.value));
    }
    return delay;
}

}  // namespace camsim
