#pragma once

#include <chrono>
#include <functional>
#include <utility>

#include "camera/FocusDisplays.h"

namespace scanora::ui {

class GuiThread;

// What the focus aid calls from the focus loop's thread: each call copies its values and shows
// them on the GUI thread.
class FocusDisplaysOnGui final : public FocusDisplays {
public:
    // Called on the GUI thread after a reading was shown, with the time since the loop gave it.
    using ShownAfter = std::function<void(std::chrono::steady_clock::duration)>;

    FocusDisplaysOnGui(GuiThread& gui, FocusDisplays& target, ShownAfter shown = {})
        : gui_(gui), target_(target), shown_(std::move(shown))
    {
    }

    void ShowFocusReading(const FocusReading& reading) override;
    void ClearFocusDisplay() override;
    void ShowWindowWidth(const FocusWindowWidth& width) override;
    void ShowBusy(bool busy) override;

private:
    GuiThread& gui_;
    FocusDisplays& target_;
    ShownAfter shown_;
};

}  // namespace scanora::ui
