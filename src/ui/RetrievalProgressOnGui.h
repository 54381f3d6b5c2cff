#pragma once

#include <functional>

#include "cameradisk/RetrievalProgress.h"

namespace scanora::ui {

class GuiThread;
class TransferView;

// What a retrieval reports from its worker thread, carried over to a transfer view on the GUI
// thread with copies of its values. The view is looked up there at each call (null: the window
// has gone, and the report is dropped).
class RetrievalProgressOnGui final : public RetrievalProgress {
public:
    using Target = std::function<TransferView*()>;

    RetrievalProgressOnGui(GuiThread& gui, Target target);

    void OnStatus(std::string_view text) override;
    void OnTransferStarted(std::uint32_t blockCount) override;
    void OnProgress(std::uint32_t blocksDone, std::uint32_t blockCount,
                    std::string_view remainingText, std::uint32_t remainingSeconds) override;
    void OnTransferEnded() override;

private:
    void Post(std::function<void(TransferView&)> show);

    GuiThread& gui_;
    Target target_;
};

}  // namespace scanora::ui
