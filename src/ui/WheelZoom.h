#pragma once

#include <QObject>
#include <QPoint>

namespace scanora {
class QorvaneView;
}

namespace scanora::ui {

// Ctrl and the mouse wheel over the image view step the zoom through its levels, keeping the
// image point under the pointer where it is. Without Ctrl the wheel scrolls as usual. A wheel
// that reports in small steps (a touchpad) zooms once per full notch of travel.
class WheelZoom final : public QObject {
public:
    static constexpr int kNotch = 120;  // the wheel's travel per step, in eighths of a degree

    // Watches `view`'s viewport; owned by the view.
    explicit WheelZoom(QorvaneView& view);

    // One step in (`steps` > 0) or out about `pointer` (viewport coordinates); false when the
    // zoom has no further level that way or there is no image.
    static bool ZoomAbout(QorvaneView& view, int steps, QPoint pointer);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QorvaneView& view_;
    int travel_ = 0;  // wheel travel not yet turned into a step
};

}  // namespace scanora::ui
