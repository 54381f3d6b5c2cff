#pragma once

#include <cstdio>
#include <mutex>
#include <string_view>

#include "acquire/CaptureView.h"

namespace scanora::cli {

// A capture's progress on the terminal: a bar redrawn in place on a terminal, otherwise a line
// at every tenth of the capture.
class CaptureProgressView final : public CaptureView {
public:
    static constexpr int kBarWidth = 30;

    CaptureProgressView(std::FILE* stream, bool terminal) : stream_(stream), terminal_(terminal) {}

    void ShowPrescanProgress(int done, int total) override { Show("Prescan", done, total); }
    void ShowScanProgress(int done, int total) override { Show("Scan", done, total); }
    // Ends a bar drawn in place with its line end.
    void Finish();

private:
    void Show(std::string_view what, int done, int total);

    std::mutex mutex_;
    std::FILE* stream_;
    bool terminal_;
    bool drawn_ = false;
    int lastTenth_ = -1;
};

}  // namespace scanora::cli
