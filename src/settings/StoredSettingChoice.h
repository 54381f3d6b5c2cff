#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/QVSetting.h"

namespace scanora {

class SettingLists;
class SettingTools;

// Choosing a stored setting by the name its list shows, for commands that name settings in
// text. The four lists are "size", "exposure", "curve" and "histogram".
class StoredSettingChoice {
public:
    // The list a word names; nothing for any other word.
    [[nodiscard]] static std::optional<SettingKind> KindNamed(std::string_view word);
    // The names of a list's entries, in order.
    [[nodiscard]] static std::vector<std::string> Names(const SettingLists& lists,
                                                        SettingKind kind);
    // Makes the first entry called `name` current and applies it, as picking it in its list does.
    // False, and nothing changes, when the list has no entry of that name.
    static bool Select(SettingLists& lists, SettingTools& tools, SettingKind kind,
                       std::string_view name);
    // What to tell the user about a name the list does not hold: the names there are.
    [[nodiscard]] static std::string UnknownName(const SettingLists& lists, SettingKind kind,
                                                 std::string_view name);
};

}  // namespace scanora
