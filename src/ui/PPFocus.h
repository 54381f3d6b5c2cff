#pragma once

#include <QWidget>

#include <array>
#include <chrono>
#include <deque>
#include <memory>

#include "camera/FocusDisplays.h"
#include "camera/FocusHistory.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace scanora {
class AppContext;
class QVFocus;
}  // namespace scanora

namespace scanora::ui {

class CGraphButton;
class FocusDisplaysOnGui;
class FocusHistoryGraph;
class FocusLoop;
class FocusScoreDisplay;
class GuiThread;
class LargeFocusDialog;

// The focus page: the three channel scores in large numbers with the best since the start, the
// channel switches, the zoom with the window's width, Start/Stop, the window's samples and the
// score history. The readings run on the page's own loop; they reach the page only through its
// GUI seam. Tool 4 on the preview places the window (PlaceWindow).
class PPFocus : public QWidget, private FocusDisplays {
    Q_OBJECT

public:
    explicit PPFocus(AppContext& app, QWidget* parent = nullptr);
    ~PPFocus() override;

    void StartFocus();
    void StopFocus();
    [[nodiscard]] bool IsFocusing() const { return focusing_; }
    // The window where the user clicked with tool 4 (preview column and line).
    void PlaceWindow(int column, int line);
    void SetZoom(int level);
    void SetChannelEnabled(int channel, bool enabled);
    void OpenLargeWindow();

    [[nodiscard]] QVFocus& Focus() const { return *focus_; }
    [[nodiscard]] const FocusHistory& History() const { return history_; }
    [[nodiscard]] FocusScoreDisplay& Scores() const { return *scores_; }
    [[nodiscard]] QCheckBox* ChannelBox(int channel) const;
    [[nodiscard]] QComboBox* ZoomBox() const { return zoom_; }
    [[nodiscard]] QLabel* WidthLabel() const { return width_; }
    [[nodiscard]] QPushButton* StartButton() const { return start_; }
    [[nodiscard]] QPushButton* PickButton() const { return pick_; }
    [[nodiscard]] QPushButton* LargeButton() const { return large_; }
    [[nodiscard]] CGraphButton& Samples() const { return *samples_; }
    [[nodiscard]] FocusHistoryGraph& HistoryGraph() const { return *graph_; }
    // The large window once opened, else null.
    [[nodiscard]] LargeFocusDialog* LargeWindow() const { return dialog_; }
    // How long the readings took from the focus loop to the page's numbers, oldest first (the
    // last kDelaysKept).
    [[nodiscard]] const std::deque<std::chrono::microseconds>& ReadingDelays() const
    {
        return delays_;
    }
    static constexpr std::size_t kDelaysKept = 1000;

Q_SIGNALS:
    // The user wants to pick the focus line on the preview (tool 4).
    void pickLineRequested();
    // The window's width in sensor pixels changed (the preview marks it).
    void windowWidthChanged(int sensorPixels);
    void focusingChanged(bool focusing);

private:
    // FocusDisplays, on the GUI thread.
    void ShowFocusReading(const FocusReading& reading) override;
    void ClearFocusDisplay() override;
    void ShowWindowWidth(const FocusWindowWidth& width) override;
    void ShowBusy(bool busy) override;

    // Camera work on the loop while it runs, else at once (nothing is then sent).
    template <typename Work>
    void Change(Work work);
    void BuildControls();

    AppContext& app_;
    std::unique_ptr<GuiThread> gui_;
    std::unique_ptr<FocusDisplaysOnGui> seam_;
    std::unique_ptr<QVFocus> focus_;
    std::unique_ptr<FocusLoop> loop_;
    FocusHistory history_;
    bool focusing_ = false;
    int busy_ = 0;
    std::deque<std::chrono::microseconds> delays_;

    FocusScoreDisplay* scores_ = nullptr;
    std::array<QCheckBox*, FocusReading::kChannels> channels_{};
    QComboBox* zoom_ = nullptr;
    QLabel* width_ = nullptr;
    QPushButton* pick_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* large_ = nullptr;
    CGraphButton* samples_ = nullptr;
    FocusHistoryGraph* graph_ = nullptr;
    LargeFocusDialog* dialog_ = nullptr;
};

}  // namespace scanora::ui
