#include "settings/ToneCurveFile.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <string>

#include "platform/AtomicFile.h"

namespace scanora {
namespace {

// Decimal conversion as the file has always been read: white space and a sign may lead, the
// number ends at the first non-digit, no digits give 0. Numbers far beyond any coordinate
// saturate.
long ToNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    constexpr long kLimit = 1'000'000;
    long number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        number = std::min(number * 10 + (text[i] - '0'), kLimit);
    return negative ? -number : number;
}

// Hands out the numbers of the file, each the text up to the next space.
class FieldSplitter {
public:
    explicit FieldSplitter(std::string_view text) : text_(text) {}

    // The next field: the text from here to the next space or the end of the text. Nothing once
    // the text is used up (a trailing space ends the last field; it does not start another).
    std::optional<std::string_view> Next()
    {
        if (position_ >= text_.size())
            return std::nullopt;
        const std::size_t space = text_.find(' ', position_);
        const std::size_t end = space == std::string_view::npos ? text_.size() : space;
        const std::string_view field = text_.substr(position_, end - position_);
        position_ = space == std::string_view::npos ? text_.size() : space + 1;
        return field;
    }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

}  // namespace

std::vector<ToneCurveFile::Handle> ToneCurveFile::Parse(std::string_view text)
{
    FieldSplitter fields(text.substr(0, kMaxFileSize));
    const auto countField = fields.Next();
    if (!countField)
        return {};
    const long count = std::min<long>(ToNumber(*countField), CurveSetting::kMaxHandles);
    std::vector<Handle> handles;
    while (static_cast<long>(handles.size()) < count) {
        const auto x = fields.Next();
        const auto y = fields.Next();
        if (!x || !y)
            break;
        handles.push_back({CurveSetting::ClampCoordinate(ToNumber(*x)),
                           CurveSetting::ClampCoordinate(ToNumber(*y))});
    }
    return handles;
}

void ToneCurveFile::Write(OutputStream& out, std::span<const Handle> handles)
{
    std::string text = std::to_string(handles.size()) + ' ';
    for (const Handle& handle : handles)
        text += std::to_string(handle.x) + ' ' + std::to_string(handle.y) + ' ';
    out.Write(text);
}

std::optional<std::vector<ToneCurveFile::Handle>> ToneCurveFile::Load(
    const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::array<char, kMaxFileSize> bytes{};
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto length = static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0));
    return Parse(std::string_view(bytes.data(), length));
}

bool ToneCurveFile::Save(const std::filesystem::path& path, std::span<const Handle> handles)
{
    AtomicFile file(path);
    if (!file.Open())
        return false;
    Write(file, handles);
    return file.Commit();
}

}  // namespace scanora
