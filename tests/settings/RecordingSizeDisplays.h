#pragma once

#include <cstdint>
#include <vector>

#include "settings/QVSize.h"
#include "settings/SizeDisplays.h"

namespace scanora::test {

// Size displays that record what they were asked to show.
class RecordingSizeDisplays final : public SizeDisplays {
public:
    void ShowOutputSize(const QVSize& size) override
    {
        ++outputSizeShown;
        shownWidth = size.GetOutputWidth();
        shownHeight = size.GetOutputHeight();
    }
    void Refresh(const QVSize&) override { ++refreshes; }
    void EnableControls(const SizeControlStates& states) override { controls = states; }
    void ShowInsertRotation(std::int32_t code) override { rotationsShown.push_back(code); }
    void RedrawPreview() override { ++previewRedraws; }

    int outputSizeShown = 0;
    double shownWidth = 0.0;
    double shownHeight = 0.0;
    int refreshes = 0;
    SizeControlStates controls;
    std::vector<std::int32_t> rotationsShown;
    int previewRedraws = 0;
};

}  // namespace scanora::test
