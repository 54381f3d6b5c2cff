#pragma once

#include <atomic>
#include <functional>

namespace scanora {

class CaptureView;
class CapturePreparation;
class ColorCorrectingToneCurve;
class PreviewImage;
class QVCamera;
class QVExposure;
class UiPort;
struct PreparedCapture;

// One prescan from the host's side: sets the camera up for it, reads its lines in groups of
// four into the current preview buffer while the sensor moves, shows them as they come, stops
// when asked, and ends with the camera's closing reply. Runs on the prescan thread.
class PrescanReadout {
public:
    // The steps around the readout that belong to other parts of the program; each may be empty.
    struct Hooks {
        std::function<void()> prepareStage;  // before a rotating capture
        std::function<void()> finishStage;   // after a rotating or object prescan
        std::function<void()> autoSave;      // after a pass that was not stopped
    };
    struct Parts {
        QVCamera& camera;
        CapturePreparation& preparation;
        QVExposure& exposure;
        PreviewImage& image;
        CaptureView& view;
        UiPort& ui;
        const ColorCorrectingToneCurve* displayCurve = nullptr;
    };

    PrescanReadout(Parts parts, Hooks hooks) : parts_(parts), hooks_(std::move(hooks)) {}

    // Runs the prescan `capture` (a super prescan when `super` is set). `stop` is the stop
    // request, polled before every block together with the abort keys. True when the camera's
    // closing reply was good.
    bool Run(const PreparedCapture& capture, bool super, const std::atomic<bool>& stop);

    // Whether the last run was stopped before its end.
    [[nodiscard]] bool WasAborted() const { return aborted_; }

    // The prescan-time display while lines remain: whole seconds for the lines still to read.
    [[nodiscard]] static int RemainingSeconds(std::size_t remainingLines, int lineTime);

private:
    // Reads and places every group; false on a transport error (already reported).
    bool ReadLines(const PreparedCapture& capture, class PrescanAssembly& assembly,
                   const std::atomic<bool>& stop);

    Parts parts_;
    Hooks hooks_;
    bool aborted_ = false;
};

}  // namespace scanora
