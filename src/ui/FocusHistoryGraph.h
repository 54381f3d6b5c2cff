#pragma once

#include <QWidget>

#include <array>

#include "camera/FocusHistory.h"

namespace scanora::ui {

// The focus scores of the recent readings as a graph, one line per measured channel, with each
// channel's best score since the start marked: while the photographer turns the lens the peak
// stays visible after the numbers have passed it.
class FocusHistoryGraph : public QWidget {
    Q_OBJECT

public:
    explicit FocusHistoryGraph(QWidget* parent = nullptr);

    void SetHistory(const FocusHistory& history,
                    const std::array<bool, FocusReading::kChannels>& enabled);
    void Clear();

    [[nodiscard]] const FocusHistory& History() const { return history_; }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FocusHistory history_;
    std::array<bool, FocusReading::kChannels> enabled_{true, true, true};
};

}  // namespace scanora::ui
