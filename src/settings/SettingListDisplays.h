#pragma once

#include <cstddef>
#include <string_view>

#include "settings/QVSetting.h"

namespace scanora {

// The controls that list the named settings of each kind (the setting boxes of the control
// pages). The desktop program implements it; the setting lists tell it every change.
class SettingListDisplays {
public:
    static constexpr std::string_view kCantDeleteText = "Can't delete current setting...";

    virtual ~SettingListDisplays() = default;

    // A name appended at the end of the list, and selected.
    virtual void AddName(SettingKind kind, std::string_view name) = 0;
    // The entry at a position (1-based) selected.
    virtual void SelectPosition(SettingKind kind, std::size_t position) = 0;
    virtual void RemoveAll(SettingKind kind) = 0;
    // Whether the delete command may delete the current entry; when it may not, the command
    // reads kCantDeleteText.
    virtual void ShowDeleteAllowed(SettingKind kind, bool allowed) = 0;
};

}  // namespace scanora
