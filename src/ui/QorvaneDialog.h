#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;

namespace scanora::ui {

// The small name prompt: a text and an edit field; OK returns the edited text.
class QorvaneDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kSettingNamePrompt = "Enter setting name:";

    QorvaneDialog(const QString& prompt, const QString& text, QWidget* parent = nullptr);

    [[nodiscard]] QString Text() const;
    [[nodiscard]] QLineEdit* Edit() const { return edit_; }

    // Shows the prompt modally; nothing when the user cancelled.
    static std::optional<QString> Ask(QWidget* parent, const QString& prompt,
                                      const QString& text = {});

private:
    QLabel* prompt_ = nullptr;
    QLineEdit* edit_ = nullptr;
};

}  // namespace scanora::ui
