#pragma once

#include <QDialog>

#include "camera/FocusDisplays.h"
#include "camera/FocusHistory.h"

namespace scanora::ui {

class CGraphButton;
class FocusHistoryGraph;
class FocusScoreDisplay;

// The focus aid's large window: the same scores, history and samples as the focus page, big
// enough to read from the camera while turning the lens. It shows what the page gives it and
// stays open beside the main window until closed.
class LargeFocusDialog : public QDialog {
    Q_OBJECT

public:
    explicit LargeFocusDialog(QWidget* parent = nullptr);

    void ShowReading(const FocusReading& reading, const FocusHistory& history);
    void Clear();

    [[nodiscard]] FocusScoreDisplay& Scores() const { return *scores_; }
    [[nodiscard]] FocusHistoryGraph& HistoryGraph() const { return *history_; }
    [[nodiscard]] CGraphButton& Samples() const { return *samples_; }

private:
    FocusScoreDisplay* scores_ = nullptr;
    FocusHistoryGraph* history_ = nullptr;
    CGraphButton* samples_ = nullptr;
};

}  // namespace scanora::ui
