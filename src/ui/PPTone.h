#pragma once

#include <cstdint>
#include <span>

#include "ui/QVPropertyPage.h"

class QAbstractButton;
class QCheckBox;
class QRadioButton;
class QToolButton;

namespace scanora {
class QVCurveEditor;
}

namespace scanora::ui {

class TonePalette;

// The tone page: the curve settings box, the graph in which the user shapes the current tone
// curve, and the buttons around it (shift left and right, compress and expand, 5 or 7 handles,
// Negative, the 16-bit curve and the directions a drag may take). Every finished change of the
// curve is announced, so that the preview is converted again through it.
class PPTone : public QVPropertyPage {
    Q_OBJECT

public:
    // Which ways a drag may move a handle, in the order of the radio buttons.
    enum class Directions { Both, Horizontal, Vertical };

    explicit PPTone(AppContext& app, QWidget* parent = nullptr);
    ~PPTone() override;

    [[nodiscard]] TonePalette* Graph() const { return graph_; }
    [[nodiscard]] QToolButton* ShiftLeftButton() const { return shiftLeft_; }
    [[nodiscard]] QToolButton* ShiftRightButton() const { return shiftRight_; }
    [[nodiscard]] QToolButton* CompressButton() const { return compress_; }
    [[nodiscard]] QToolButton* ExpandButton() const { return expand_; }
    [[nodiscard]] QToolButton* HandlesButton() const { return handles_; }
    [[nodiscard]] QToolButton* NegativeButton() const { return negative_; }
    [[nodiscard]] QCheckBox* SixteenBitBox() const { return sixteenBit_; }
    [[nodiscard]] QRadioButton* DirectionButton(Directions directions) const;

    // Shows the curve's state on the buttons and redraws the graph.
    void Refresh();
    // The editor's histogram from the preview's raw histogram (one count per 16-bit level), and
    // the colour sample points as they now measure.
    void ShowPreviewHistogram(std::span<const std::int32_t> raw);
    // The colour sample points as they now measure, marked on the curve.
    void RefreshSampleMarks();
    void SetControlsEnabled(bool enabled);

Q_SIGNALS:
    // A change of the curve is finished: its table is current again.
    void curveChanged();
    // The end handles may have moved (during a drag, or by a finished change).
    void curveEndsChanged();
    // "Use16BitCurve" changed: the output's bytes per sample with it.
    void sampleFormatChanged();

private:
    [[nodiscard]] QVCurveEditor& Editor() const;
    void CurveFinished();
    void SetDirections(Directions directions);

    TonePalette* graph_ = nullptr;
    QToolButton* shiftLeft_ = nullptr;
    QToolButton* shiftRight_ = nullptr;
    QToolButton* compress_ = nullptr;
    QToolButton* expand_ = nullptr;
    QToolButton* handles_ = nullptr;
    QToolButton* negative_ = nullptr;
    QCheckBox* sixteenBit_ = nullptr;
    QRadioButton* both_ = nullptr;
    QRadioButton* horizontal_ = nullptr;
    QRadioButton* vertical_ = nullptr;
};

}  // namespace scanora::ui
