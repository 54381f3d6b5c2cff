#include "platform/TextConversion.h"

#include <gtest/gtest.h>

#include <string>

namespace scanora {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

std::string Byte(unsigned value)
{
    return std::string(1, static_cast<char>(value));
}

TEST(TextConversionWindows1252, EveryByteBecomesItsCharacterInUtf8)
{
    EXPECT_EQ(TextConversion::FromWindows1252("Caf\xE9 \xC0 la cr\xE8me"),
              "Caf\u00E9 \u00C0 la cr\u00E8me");
    // The block Windows-1252 fills with printable characters instead of controls.
    EXPECT_EQ(TextConversion::FromWindows1252("\x80\x85\x8A\x93\x94\x99\x9F"),
              "\u20AC\u2026\u0160\u201C\u201D\u2122\u0178");
    EXPECT_EQ(TextConversion::FromWindows1252("\xA0\xFF"), "\u00A0\u00FF");
    // Undefined in Windows-1252: none may pass as a C1 control or as a broken sequence.
    for (const unsigned undefined : {0x81u, 0x8Du, 0x8Fu, 0x90u, 0x9Du})
        EXPECT_EQ(TextConversion::FromWindows1252(Byte(undefined)), kReplacement) << undefined;

    for (unsigned value = 0; value < 256; ++value) {
        const std::string text = TextConversion::FromWindows1252(Byte(value));
        EXPECT_EQ(TextConversion::ValidUtf8(text), text) << value;
        EXPECT_EQ(TextConversion::CharacterCount(text), 1u) << value;
    }
}

TEST(TextConversionWindows1252, DefinedBytesRoundTrip)
{
    for (unsigned value = 0; value < 256; ++value) {
        const bool undefined =
            value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D;
        const std::string back =
            TextConversion::ToWindows1252(TextConversion::FromWindows1252(Byte(value)));
        EXPECT_EQ(back, undefined ? std::string("?") : Byte(value)) << value;
    }
}

TEST(TextConversionWindows1252, CharactersItLacksBecomeQuestionMarks)
{
    EXPECT_EQ(TextConversion::ToWindows1252("Caf\u00E9"), "Caf\xE9");
    EXPECT_EQ(TextConversion::ToWindows1252("\u20AC 5 \u2013 \u201Cok\u201D"),
              "\x80 5 \x96 \x93ok\x94");
    EXPECT_EQ(TextConversion::ToWindows1252("\u65E5\u672C \U0001F600"), "?? ?");
    // C1 controls have no place in Windows-1252 (its 0x80..0x9F are printable characters).
    EXPECT_EQ(TextConversion::ToWindows1252("a\u0085b"), "a?b");
    EXPECT_EQ(TextConversion::ToWindows1252("\uFFFD"), "?");
}

TEST(TextConversionWindows1252, BytesThatAreNotUtf8AreKeptAsTheyAre)
{
    // Texts from a preferences file written on Windows are Windows-1252 already.
    EXPECT_EQ(TextConversion::ToWindows1252("Caf\xE9"), "Caf\xE9");
    EXPECT_EQ(TextConversion::ToWindows1252("\xE2\x80 x"), "\xE2\x80 x");
    EXPECT_EQ(TextConversion::ToWindows1252("\xC3"), "\xC3");
}

TEST(TextConversionCamera, CameraTextIsWindows1252ExceptNamesStoredAsUtf8)
{
    EXPECT_EQ(TextConversion::FromCamera("Caf\xE9"), "Caf\u00E9");
    EXPECT_EQ(TextConversion::FromCamera("Harbour 2"), "Harbour 2");
    // What an earlier version of the program stored as typed comes back as it was typed.
    EXPECT_EQ(TextConversion::FromCamera("Caf\u00E9 \u20AC"), "Caf\u00E9 \u20AC");
    EXPECT_EQ(TextConversion::FromCamera("\x81"), kReplacement);
    EXPECT_EQ(TextConversion::FromCamera(TextConversion::ToWindows1252("S\u00E3o Jo\u00E3o")),
              "S\u00E3o Jo\u00E3o");
}

TEST(TextConversionUtf8, EachInvalidSequenceBecomesOneReplacement)
{
    const std::string r(kReplacement);
    EXPECT_EQ(TextConversion::ValidUtf8("plain \u00E9\u20AC\U0001F600"),
              "plain \u00E9\u20AC\U0001F600");
    EXPECT_EQ(TextConversion::ValidUtf8("a\x80z"), "a" + r + "z");            // stray
    EXPECT_EQ(TextConversion::ValidUtf8("\xC0\x80"), r + r);                  // overlong
    EXPECT_EQ(TextConversion::ValidUtf8("\xE0\x80\x80"), r + r + r);          // overlong
    EXPECT_EQ(TextConversion::ValidUtf8("\xED\xA0\x80"), r + r + r);          // surrogate
    EXPECT_EQ(TextConversion::ValidUtf8("\xF4\x90\x80\x80"), r + r + r + r);  // > U+10FFFF
    EXPECT_EQ(TextConversion::ValidUtf8("\xF5\xFF"), r + r);                  // never UTF-8
    EXPECT_EQ(TextConversion::ValidUtf8("\xE2\x82x"), r + "x");               // cut short
    EXPECT_EQ(TextConversion::ValidUtf8("end\xF0\x9F\x98"), "end" + r);       // at the end
    EXPECT_EQ(TextConversion::ValidUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(TextConversion::CharacterCount("\u00E9t\u00E9\xE2\x82"), 4u);
}

TEST(TextConversionTerminal, ControlsAreShownAndNeverSent)
{
    EXPECT_EQ(TextConversion::ForTerminal("\x1B[2J\x07name\r\x7F"), "?[2J?name??");
    EXPECT_EQ(TextConversion::ForTerminal("a\u0085b\u009Bc"), "a?b?c");  // C1 as UTF-8
    EXPECT_EQ(TextConversion::ForTerminal("tab\there\nnext"), "tab?here?next");
    EXPECT_EQ(TextConversion::ForTerminal("line\nnext\r", true), "line\nnext?");
    EXPECT_EQ(TextConversion::ForTerminal("Caf\u00E9 \u20AC"), "Caf\u00E9 \u20AC");
    // A lone 0x9B would be a CSI to an 8-bit terminal: it is no UTF-8 and is replaced.
    EXPECT_EQ(TextConversion::ForTerminal("\x9B"
                                          "31m"),
              std::string(kReplacement) + "31m");
}

}  // namespace
}  // namespace scanora
