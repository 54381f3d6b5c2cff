#pragma once

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>
#include <initializer_list>
#include <map>
#include <optional>

class QMenu;

namespace scanora::ui {

// The program's commands as actions. Each action is made together with its handler and the
// function that gives its state, so a new command is one entry here; the handler runs when the
// action is triggered, and Update shows every command's state. Commands that would disturb a
// running capture are refused at one place, with one message, before their handler.
class CommandTable final : public QObject {
public:
    struct State {
        bool enabled = true;
        std::optional<bool> checked;  // none: the check mark is left as it is
    };
    enum class DuringCapture { Allowed, Refused };

    // One entry of an exclusive choice: the action carries `value`.
    template <typename Value>
    struct Choice {
        int id = 0;
        QString text;
        Value value{};
    };

    // `refusedDuringCapture` shows the message and answers true while a capture runs.
    CommandTable(QObject* parent, std::function<bool()> refusedDuringCapture);

private:
    struct Entry {
        QAction* action = nullptr;
        std::function<void()> run;
        std::function<State()> state;  // none: always enabled
        DuringCapture capture = DuringCapture::Allowed;
    };

public:
    // One command as it is defined: Add(...).Runs(...).Shows(...).
    class Definition {
    public:
        explicit Definition(Entry& entry) : entry_(entry) {}
        Definition& Runs(std::function<void()> run);
        Definition& Shows(std::function<State()> state);
        Definition& Checkable();
        Definition& RefusedDuringCapture();
        // The command's keyboard shortcuts, the first shown beside it in the menu.
        Definition& Keys(const QList<QKeySequence>& keys);
        [[nodiscard]] QAction* Action() const { return entry_.action; }

    private:
        Entry& entry_;
    };

    // Makes the command's action (added to `menu` unless null).
    Definition Add(QMenu* menu, int id, const QString& text);

    // An exclusive choice: one checkable action per entry in one group, each carrying its value;
    // triggering one passes its value to `select`, and the one whose value `current` gives is
    // checked.
    template <typename Value>
    QActionGroup* AddChoice(QMenu* menu, std::initializer_list<Choice<Value>> choices,
                            std::function<void(Value)> select, std::function<Value()> current,
                            DuringCapture capture = DuringCapture::Allowed)
    {
        auto* group = new QActionGroup(this);
        group->setExclusive(true);
        for (const Choice<Value>& choice : choices) {
            const Value value = choice.value;
            Definition command = Add(menu, choice.id, choice.text);
            command.Runs([select, value] { select(value); })
                .Shows([current, value] {
                    return State{true, current() == value};
                })
                .Checkable();
            if (capture == DuringCapture::Refused)
                command.RefusedDuringCapture();
            QAction* action = command.Action();
            action->setData(static_cast<int>(value));
            group->addAction(action);
        }
        return group;
    }
    // The value a choice's action carries.
    template <typename Value>
    [[nodiscard]] static Value ValueOf(const QAction& action)
    {
        return static_cast<Value>(action.data().toInt());
    }

    [[nodiscard]] QAction* Action(int id) const;
    // Runs a command as its action would (false when it is unknown or disabled).
    bool Execute(int id);
    // Enables and checks every command for the state the program is in.
    void Update();

private:
    void Run(const Entry& entry);

    std::function<bool()> refusedDuringCapture_;
    std::map<int, Entry> entries_;
};

}  // namespace scanora::ui
