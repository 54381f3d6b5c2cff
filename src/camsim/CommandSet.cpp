#include "camsim/CommandSet.h"

#include <algorithm>
#include <utility>

namespace camsim {

void CommandSet::Add(std::string name, Handler handler)
{
    longestName_ = std::max(longestName_, name.size());
    handlers_.insert_or_assign(std::move(name), std::move(handler));
}

CommandOutcome CommandSet::Execute(std::string_view command) const
{
    for (std::size_t length = std::min(longestName_, command.size()); length > 0; --length) {
        const auto found = handlers_.find(command.substr(0, length));
        if (found != handlers_.end())
            return found->second(command.substr(length));
    }
    return CommandOutcome::Error(CameraErrorCode::kConversionError);
}

}  // namespace camsim
