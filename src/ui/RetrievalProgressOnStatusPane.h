#pragma once

#include <QLabel>
#include <QPointer>
#include <QString>

#include "cameradisk/RetrievalProgress.h"

namespace scanora::ui {

class GuiThread;

// A retrieval the main window did not start (a script's), shown in a status pane from its
// worker thread: the status text, and while the blocks come, the time remaining after it.
// Copies go over the seam; a pane that has gone is left alone. The pointer to the pane is made
// on the GUI thread.
class RetrievalProgressOnStatusPane final : public RetrievalProgress {
public:
    RetrievalProgressOnStatusPane(GuiThread& gui, QPointer<QLabel> pane);

    void OnStatus(std::string_view text) override;
    void OnProgress(std::uint32_t blocksDone, std::uint32_t blockCount,
                    std::string_view remainingText, std::uint32_t remainingSeconds) override;

private:
    void Show(const QString& text);

    GuiThread& gui_;
    QPointer<QLabel> pane_;
    QString status_;  // the last status text (the retrieval's thread only)
};

}  // namespace scanora::ui
