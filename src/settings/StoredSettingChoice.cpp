#include "settings/StoredSettingChoice.h"

#include <algorithm>
#include <array>
#include <type_traits>
#include <utility>

#include "settings/SettingLists.h"

namespace scanora {
namespace {

constexpr std::array<std::pair<std::string_view, SettingKind>, 4> kKinds{{
    {"size", SettingKind::Size},
    {"exposure", SettingKind::Exposure},
    {"curve", SettingKind::Curve},
    {"histogram", SettingKind::Histogram},
}};

std::string_view WordOf(SettingKind kind)
{
    for (const auto& [word, listed] : kKinds)
        if (listed == kind)
            return word;
    return {};
}

// Calls `action` with the record type of the list `kind` names.
template <typename Action>
auto ForKind(SettingKind kind, Action&& action)
{
    switch (kind) {
    case SettingKind::Size: return action(std::type_identity<SizeSetting>{});
    case SettingKind::Exposure: return action(std::type_identity<ExposureSetting>{});
    case SettingKind::Curve: return action(std::type_identity<CurveSetting>{});
    default: return action(std::type_identity<HistogramSetting>{});
    }
}

}  // namespace

std::optional<SettingKind> StoredSettingChoice::KindNamed(std::string_view word)
{
    for (const auto& [listed, kind] : kKinds)
        if (listed == word)
            return kind;
    return std::nullopt;
}

std::vector<std::string> StoredSettingChoice::Names(const SettingLists& lists, SettingKind kind)
{
    return ForKind(kind, [&lists]<typename Record>(std::type_identity<Record>) {
        std::vector<std::string> names;
        for (const auto& record : lists.List<Record>()) names.push_back(record->GetName());
        return names;
    });
}

bool StoredSettingChoice::Select(SettingLists& lists, SettingTools& tools, SettingKind kind,
                                 std::string_view name)
{
    const std::vector<std::string> names = Names(lists, kind);
    const auto found = std::ranges::find(names, name);
    if (found == names.end())
        return false;
    const auto position = static_cast<std::int16_t>(found - names.begin() + 1);
    ForKind(kind, [&]<typename Record>(std::type_identity<Record>) {
        lists.Select<Record>(position, tools);
        return true;
    });
    return true;
}

std::string StoredSettingChoice::UnknownName(const SettingLists& lists, SettingKind kind,
                                             std::string_view name)
{
    const std::string word(WordOf(kind));
    std::string text = "there is no " + word + " setting called \"" + std::string(name) + "\"; ";
    const std::vector<std::string> names = Names(lists, kind);
    if (names.empty())
        return text + "the " + word + " list is empty";
    text += "the " + word + " settings are:";
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? " \"" : ", \"") + names[i] + "\"";
    return text;
}

}  // namespace scanora
