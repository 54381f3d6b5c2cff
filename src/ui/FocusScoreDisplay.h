#pragma once

#include <QWidget>

#include <array>

#include "camera/FocusDisplays.h"
#include "camera/FocusHistory.h"

class QLabel;

namespace scanora::ui {

// The three focus scores as large numbers in their channels' colours, each with the best score
// since the start below it. A channel that is not measured is shown greyed, with its last score.
// The focus page and the large focus window show the same display at their own sizes.
class FocusScoreDisplay : public QWidget {
    Q_OBJECT

public:
    // `pointSize`: the size of the score numbers.
    explicit FocusScoreDisplay(int pointSize, QWidget* parent = nullptr);

    void Show(const FocusReading& reading, const FocusHistory& history);
    // Dashes instead of numbers: nothing measured.
    void Clear();

    [[nodiscard]] QLabel* ScoreLabel(int channel) const;
    [[nodiscard]] QLabel* BestLabel(int channel) const;

private:
    std::array<QLabel*, FocusReading::kChannels> scores_{};
    std::array<QLabel*, FocusReading::kChannels> best_{};
};

}  // namespace scanora::ui
