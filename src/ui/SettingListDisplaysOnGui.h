#pragma once

#include "settings/SettingListDisplays.h"

namespace scanora::ui {

class GuiThread;

// What the setting lists call, from whichever thread changed them: names are copied and every
// change is shown on the GUI thread, in the order it was made.
class SettingListDisplaysOnGui final : public SettingListDisplays {
public:
    SettingListDisplaysOnGui(GuiThread& gui, SettingListDisplays& target)
        : gui_(gui), target_(target)
    {
    }

    void AddName(SettingKind kind, std::string_view name) override;
    void SelectPosition(SettingKind kind, std::size_t position) override;
    void RemoveAll(SettingKind kind) override;
    void ShowDeleteAllowed(SettingKind kind, bool allowed) override;

private:
    GuiThread& gui_;
    SettingListDisplays& target_;
};

}  // namespace scanora::ui
