#include "settings/PreferenceKeyEdit.h"

#include <algorithm>
#include <array>

#include "platform/OutputStream.h"
#include "settings/LineReader.h"
#include "settings/PreferenceRanges.h"
#include "settings/QVCameraSetting.h"

namespace scanora {

namespace {

// The keys of the preferences dialog's number fields.
constexpr std::array<std::pair<std::string_view, PreferenceRanges::Field>, 8> kDialogFields{{
    {"AutoFileIncrement", PreferenceRanges::Field::Increment},
    {"AutoFileSuffix", PreferenceRanges::Field::StartNumber},
    {"BaselineISO", PreferenceRanges::Field::BaselineIso},
    {"GridWidth", PreferenceRanges::Field::GridWidth},
    {"GridHeight", PreferenceRanges::Field::GridHeight},
    {"SuffixLength", PreferenceRanges::Field::SuffixLength},
    {"TimeLapseImages", PreferenceRanges::Field::TimeLapseImages},
    {"TimeLapseSeconds", PreferenceRanges::Field::TimeLapseSeconds},
}};

std::string SectionText(const QVCameraSetting& camera)
{
    MemoryOutputStream out;
    camera.Write(out);
    return std::string(out.Text());
}

// Reads a whole section's text (its first line the section's begin key) into `camera`.
bool ReadSectionText(QVCameraSetting& camera, std::string_view text)
{
    LineReader in(text);
    std::string_view key;
    std::string_view value;
    return QVSetting::ReadKeyValue(in, key, value) && camera.Read(in);
}

std::string_view TrimEnd(std::string_view text)
{
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> PreferenceKeyEdit::Lines(
    const QVCameraSetting& camera)
{
    const std::string text = SectionText(camera);
    std::vector<std::pair<std::string, std::string>> lines;
    LineReader in(text);
    std::string_view key;
    std::string_view value;
    while (QVSetting::ReadKeyValue(in, key, value)) {
        if (key == QVCameraSetting::kBeginKey || key == QVCameraSetting::kEndKey ||
            key == "SettingName" || key == "Changeable" || key == "Comment:")
            continue;
        lines.emplace_back(key, value);
    }
    return lines;
}

std::optional<std::string> PreferenceKeyEdit::Get(const QVCameraSetting& camera,
                                                  std::string_view key)
{
    for (auto& [name, value] : Lines(camera))
        if (name == key)
            return std::move(value);
    return std::nullopt;
}

PreferenceKeyEdit::Outcome PreferenceKeyEdit::Set(QVCameraSetting& camera, std::string_view key,
                                                  std::string_view value)
{
    const std::optional<std::string> old = Get(camera, key);
    if (!old)
        return {Result::UnknownKey,
                "no preference called \"" + std::string(key) + "\" (prefs show lists them)"};
    const auto lines = Lines(camera);
    if (std::count_if(lines.begin(), lines.end(),
                      [&](const auto& line) { return line.first == key; }) > 1)
        return {Result::NotAValue,
                std::string(key) + " is a list; the preferences dialog or the file changes it"};
    for (const auto& [name, field] : kDialogFields) {
        if (name != key)
            continue;
        if (const auto correction = PreferenceRanges::Check(field, value))
            return {Result::OutOfRange, correction->message};
    }
    const bool quoted = old->starts_with('"');
    if (quoted && value.find('"') != std::string_view::npos)
        return {Result::NotAValue, std::string(key) + " cannot hold a double quote"};
    const std::string written = quoted ? "\"" + std::string(value) + "\"" : std::string(value);

    // The section as the file would have it with the new value, read back as the file is read.
    const std::string before = SectionText(camera);
    std::string text;
    LineReader in(before);
    for (std::string_view line; in.ReadLine(line);) {
        const bool ours =
            line.starts_with(key) && line.size() > key.size() && line[key.size()] == ' ';
        text += ours ? std::string(key) + " " + written : std::string(line);
        text += "\r\n";
    }
    if (!ReadSectionText(camera, text) || TrimEnd(*Get(camera, key)) != TrimEnd(written)) {
        ReadSectionText(camera, before);
        return {Result::NotAValue, "\"" + std::string(value) + "\" is not a value " +
                                       std::string(key) + " can keep (it is " + *old + ")"};
    }
    return {};
}

}  // namespace scanora
