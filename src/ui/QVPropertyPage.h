#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <string_view>

#include "settings/QVSetting.h"

class QComboBox;

namespace scanora {
class AppContext;
}

namespace scanora::ui {

// The base of the control pages that keep named settings (size, colour, tone, focus): a combo
// box with "New Setting ...", "Update Current Setting ...", "Delete Current Setting ..." and the
// names of the page's setting records (record k at entry k + 2). Choosing a name applies it.
class QVPropertyPage : public QWidget {
    Q_OBJECT

public:
    static constexpr int kNewEntry = 0;
    static constexpr int kUpdateEntry = 1;
    static constexpr int kDeleteEntry = 2;
    static constexpr int kFirstRecordEntry = 3;

    // Asks for a setting name; nothing when cancelled. Tests replace the prompt.
    using NamePrompt = std::function<std::optional<QString>(QWidget*)>;

    QVPropertyPage(AppContext& app, SettingKind kind, QWidget* parent = nullptr);

    [[nodiscard]] SettingKind Kind() const { return kind_; }
    [[nodiscard]] QComboBox* SettingsBox() const { return settings_; }
    void SetNamePrompt(NamePrompt prompt) { prompt_ = std::move(prompt); }

    // Lists the names of the page's records and selects the current one.
    void ShowList();
    // What the setting lists tell the page.
    void AddName(std::string_view name);
    void SelectPosition(std::size_t position);
    void RemoveAll();
    void ShowDeleteAllowed(bool allowed);

    // The settings box's three commands.
    void NewSetting();
    void UpdateCurrentSetting();
    void DeleteCurrentSetting();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    AppContext& app_;

Q_SIGNALS:
    void abortKeyPressed();
    // A record of the page's kind was applied to its tool (chosen by name, or made current
    // when the one before it was deleted).
    void settingApplied();

private:
    void Activated(int entry);
    void ShowCurrent();

    const SettingKind kind_;
    QComboBox* settings_ = nullptr;
    NamePrompt prompt_;
};

}  // namespace scanora::ui
