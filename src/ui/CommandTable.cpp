#include "ui/CommandTable.h"

#include <QMenu>

#include "ui/GuiThread.h"

namespace scanora::ui {

CommandTable::CommandTable(QObject* parent, std::function<bool()> refusedDuringCapture)
    : QObject(parent), refusedDuringCapture_(std::move(refusedDuringCapture))
{
}

CommandTable::Definition CommandTable::Add(QMenu* menu, int id, const QString& text)
{
    auto* action = new QAction(text, this);
    action->setData(id);
    Entry& entry = entries_[id];
    entry.action = action;
    connect(action, &QAction::triggered, this, [this, id] { Run(entries_.at(id)); });
    if (menu)
        menu->addAction(action);
    return Definition(entry);
}

CommandTable::Definition& CommandTable::Definition::Runs(std::function<void()> run)
{
    entry_.run = std::move(run);
    return *this;
}

CommandTable::Definition& CommandTable::Definition::Shows(std::function<State()> state)
{
    entry_.state = std::move(state);
    return *this;
}

CommandTable::Definition& CommandTable::Definition::Checkable()
{
    entry_.action->setCheckable(true);
    return *this;
}

CommandTable::Definition& CommandTable::Definition::RefusedDuringCapture()
{
    entry_.capture = DuringCapture::Refused;
    return *this;
}

CommandTable::Definition& CommandTable::Definition::Keys(const QList<QKeySequence>& keys)
{
    entry_.action->setShortcuts(keys);
    return *this;
}

void CommandTable::Run(const Entry& entry)
{
    SCANORA_ASSERT_GUI_THREAD();
    const bool refused = entry.capture == DuringCapture::Refused && refusedDuringCapture_();
    if (!refused && entry.run)
        entry.run();
    Update();
}

QAction* CommandTable::Action(int id) const
{
    const auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : it->second.action;
}

bool CommandTable::Execute(int id)
{
    Update();
    QAction* action = Action(id);
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    return true;
}

void CommandTable::Update()
{
    SCANORA_ASSERT_GUI_THREAD();
    for (const auto& [id, entry] : entries_) {
        if (!entry.state)
            continue;
        const State state = entry.state();
        entry.action->setEnabled(state.enabled);
        if (state.checked)
            entry.action->setChecked(*state.checked);
    }
}

}  // namespace scanora::ui
