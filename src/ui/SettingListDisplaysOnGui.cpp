#include "ui/SettingListDisplaysOnGui.h"

#include <string>

#include "ui/GuiThread.h"

namespace scanora::ui {

void SettingListDisplaysOnGui::AddName(SettingKind kind, std::string_view name)
{
    gui_.Run([&target = target_, kind, copy = std::string(name)] { target.AddName(kind, copy); });
}

void SettingListDisplaysOnGui::SelectPosition(SettingKind kind, std::size_t position)
{
    gui_.Run([&target = target_, kind, position] { target.SelectPosition(kind, position); });
}

void SettingListDisplaysOnGui::RemoveAll(SettingKind kind)
{
    gui_.Run([&target = target_, kind] { target.RemoveAll(kind); });
}

void SettingListDisplaysOnGui::ShowDeleteAllowed(SettingKind kind, bool allowed)
{
    gui_.Run([&target = target_, kind, allowed] { target.ShowDeleteAllowed(kind, allowed); });
}

}  // namespace scanora::ui
