#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "camsim/CommandOutcome.h"

namespace camsim {

// The camera's command table: each command name ("CS", "MD", "CMX", ...) with its handler. A
// command text is the name followed by its parameters ("MD1000", "CMX01"); the longest known
// name that starts the text selects the handler, which gets the rest of the text.
class CommandSet {
public:
    using Handler = std::function<CommandOutcome(std::string_view parameters)>;

    // Adds or replaces the handler of `name`.
    void Add(std::string name, Handler handler);
    // Runs `command` (without its carriage return); an unknown command is answered "#E01".
    [[nodiscard]] CommandOutcome Execute(std::string_view command) const;

private:
    std::map<std::string, Handler, std::less<>> handlers_;
    std::size_t longestName_ = 0;
};

}  // namespace camsim
