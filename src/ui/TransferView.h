#pragma once

#include <QWidget>

#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

namespace scanora::ui {

// The file manager's transfer controls: what is being retrieved, the progress bar,
// "Transferring", the time remaining and Cancel. It shows what a retrieval reports; the window
// around it decides when it is seen.
class TransferView : public QWidget {
    Q_OBJECT

public:
    explicit TransferView(QWidget* parent = nullptr);

    void ShowStatus(const QString& text);
    void Begin(std::uint32_t blockCount);
    void ShowProgress(std::uint32_t blocksDone, std::uint32_t blockCount, const QString& remaining);
    void End();

    [[nodiscard]] QProgressBar* Bar() const { return bar_; }
    [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }
    [[nodiscard]] QString StatusText() const;
    [[nodiscard]] QString RemainingText() const;

Q_SIGNALS:
    // A transfer has begun to report.
    void started();
    void cancelRequested();

private:
    QLabel* status_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* transferring_ = nullptr;
    QLabel* remaining_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace scanora::ui
