#pragma once

#include <QToolButton>

namespace scanora {
class QorvaneView;
}

namespace scanora::ui {

// The small button at the status bar's left edge: fits the preview into the view, or with Alt
// held shows it at 100 %.
class CFitButton : public QToolButton {
    Q_OBJECT

public:
    CFitButton(QorvaneView& view, QWidget* parent = nullptr);

private:
    void Fit();

    QorvaneView& view_;
};

}  // namespace scanora::ui
