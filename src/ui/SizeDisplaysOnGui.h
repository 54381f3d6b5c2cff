#pragma once

#include "settings/SizeDisplays.h"
#include "ui/SizeReadout.h"

namespace scanora::ui {

class GuiThread;

// The windows' side of the geometry's displays: the same calls, with the geometry as a copy, on
// the GUI thread.
class SizeReadoutDisplays {
public:
    virtual ~SizeReadoutDisplays() = default;

    virtual void ShowOutputSize(const SizeReadout& size) = 0;
    virtual void Refresh(const SizeReadout& size) = 0;
    virtual void EnableControls(const SizeControlStates& states) = 0;
    virtual void ShowInsertRotation(std::int32_t code) = 0;
    virtual void RedrawPreview() = 0;
};

// What the geometry calls, from whichever thread changed it: each call copies the geometry's
// values and shows them on the GUI thread.
class SizeDisplaysOnGui final : public SizeDisplays {
public:
    SizeDisplaysOnGui(GuiThread& gui, SizeReadoutDisplays& target) : gui_(gui), target_(target) {}

    void ShowOutputSize(const QVSize& size) override;
    void Refresh(const QVSize& size) override;
    void EnableControls(const SizeControlStates& states) override;
    void ShowInsertRotation(std::int32_t code) override;
    void RedrawPreview() override;

private:
    GuiThread& gui_;
    SizeReadoutDisplays& target_;
};

}  // namespace scanora::ui
