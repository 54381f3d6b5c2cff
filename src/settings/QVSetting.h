#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/OutputStream.h"

namespace scanora {

class LineReader;

// Which record class a setting is. The numbers are the program's own (5 is not used).
enum class SettingKind : std::int16_t {
    None = 0,
    Size = 1,
    Exposure = 2,
    Curve = 3,
    Camera = 4,
    Histogram = 6,
};

// The base of every persistent record: its kind, its name and whether the user may change it,
// and the line format all records share. A record is kept as a section: a "Begin..." line, one
// "key value" line per field, an "End..." line. A line splits at its first space into key and
// value; keys a reader does not know (comments, empty lines, keys of newer versions) are skipped,
// and a number that does not parse leaves its field as it was, so a record is filled with its
// current values before it reads. Lines are written with CR LF ends; numbers are read and
// written the same way in every locale.
class QVSetting {
public:
    virtual ~QVSetting() = default;

    // Reads the record's section from just after its Begin line up to and including its End
    // line. False when the input ends first; what was read until then is kept.
    virtual bool Read(LineReader& in) = 0;
    // Writes the whole section, Begin and End lines included. The base version writes the two
    // common lines, the name and the changeable flag.
    virtual void Write(OutputStream& out) const;

    [[nodiscard]] SettingKind Kind() const { return kind_; }
    [[nodiscard]] const std::string& GetName() const { return name_; }
    void SetName(std::string_view name) { name_ = name; }
    // False for the defaults the program made, which the user may not update or delete.
    [[nodiscard]] bool IsChangeable() const { return changeable_; }
    void SetUnchangeable() { changeable_ = false; }

    // --- Reading values. Each takes the value part of a line. ---

    // Reads one line and splits it at its first space: a line without a space is all key and an
    // empty value; nothing is trimmed. False at the end of the input.
    static bool ReadKeyValue(LineReader& in, std::string_view& key, std::string_view& value);
    // The text between the first double quote and the next one; without an opening quote the
    // whole value, without a closing one the rest of the value. There is no escape character.
    static std::string_view ExtractQuoted(std::string_view value);
    // Stores the quoted text, cut to at most maxLength characters (the capacity of the field).
    static void ReadQuoted(std::string_view value, std::string& destination,
                           std::size_t maxLength = std::string::npos);
    // True only for a quoted text (or bare value) that is exactly "true".
    static bool ParseBool(std::string_view value);
    // The first white-space delimited word ("Units inches"); empty when there is none.
    static std::string_view ParseWord(std::string_view value);
    static std::optional<double> ParseReal(std::string_view value);
    static std::optional<std::int16_t> ParseInt16(std::string_view value);
    static std::optional<std::uint16_t> ParseUInt16(std::string_view value);
    static std::optional<std::int32_t> ParseInt32(std::string_view value);
    static std::optional<std::uint32_t> ParseUInt32(std::string_view value);

    // --- Writing lines. Each writes one whole line, CR LF included. ---

    // The text alone on a line (Begin and End lines, file framing).
    static void WriteLine(OutputStream& out, std::string_view text);
    static void WriteBool(OutputStream& out, std::string_view key, bool value);
    // The text in double quotes. A double quote inside the text can not be read back and is
    // written as an apostrophe; a line feed would end the line and is written as a space.
    static void WriteQuoted(OutputStream& out, std::string_view key, std::string_view text);
    // The text as it is, after the key and one space (lists, enumeration words).
    static void WriteRaw(OutputStream& out, std::string_view key, std::string_view text);
    static void WriteReal(OutputStream& out, std::string_view key, double value);
    static void WriteUInt32(OutputStream& out, std::string_view key, std::uint32_t value);
    static void WriteInt32(OutputStream& out, std::string_view key, std::int32_t value);
    static void WriteUInt16(OutputStream& out, std::string_view key, std::uint16_t value);
    static void WriteInt16(OutputStream& out, std::string_view key, std::int16_t value);
    // The colour's red, green and blue bytes (low, middle, high byte), each after one space.
    static void WriteRGB(OutputStream& out, std::string_view key, std::uint32_t color);

    // A real as a default-formatted stream prints it: 6 significant digits, "16.6667",
    // "0.00144772", "300", "1e+06".
    static std::string FormatReal(double value);

protected:
    explicit QVSetting(SettingKind kind) : kind_(kind) {}
    QVSetting(const QVSetting&) = default;
    QVSetting& operator=(const QVSetting&) = default;

    // Reads a record's own key into its field; false for a key that is not the record's own.
    using KeyReader = std::function<bool(std::string_view key, std::string_view value)>;

    // The loop every section reader runs: each line goes to readOwnKey, then is checked for the
    // End key, then goes to ReadCommonKey. True once the End line is consumed, false when the
    // input ends before it.
    bool ReadSection(LineReader& in, std::string_view endKey, const KeyReader& readOwnKey);
    // "SettingName" and "Changeable"; any other key is ignored.
    void ReadCommonKey(std::string_view key, std::string_view value);

    // Stores a parsed value; a value that failed to parse leaves the field as it was.
    template <typename Field>
    static void Assign(Field& field, const std::optional<Field>& parsed)
    {
        if (parsed)
            field = *parsed;
    }

private:
    SettingKind kind_;
    std::string name_;
    bool changeable_ = true;
};

// The colour value red + 256 * green + 65536 * blue of three 16-bit decimal numbers ("74 255
// 255"), of which only the low byte of each counts. Nothing when a number does not parse.
std::optional<std::uint32_t> ParseRGB(std::string_view value);
// The same for red, green, blue and alpha of 0..65535 each ("RGBAColor16"): each colour is
// reduced to its high byte, alpha is ignored.
std::optional<std::uint32_t> ParseRGBA16(std::string_view value);

}  // namespace scanora
