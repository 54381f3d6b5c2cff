#include "settings/QVSetting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/OutputStream.h"
#include "settings/LineReader.h"
#include "settings/ValueScanner.h"

namespace scanora {
namespace {

std::vector<std::string> LinesOf(std::string_view text)
{
    LineReader in(text);
    std::vector<std::string> lines;
    std::string_view line;
    while (in.ReadLine(line)) lines.emplace_back(line);
    return lines;
}

TEST(SettingsLineTest, CrLfAndLoneLfEndLinesAlike)
{
    const std::vector<std::string> expected{"BeginSizeSetting", "", "OutputWidth 12.5",
                                            "EndSizeSetting"};
    EXPECT_EQ(LinesOf("BeginSizeSetting\r\n\r\nOutputWidth 12.5\r\nEndSizeSetting\r\n"), expected);
    EXPECT_EQ(LinesOf("BeginSizeSetting\n\nOutputWidth 12.5\nEndSizeSetting"), expected);
    // A carriage return that does not end a line is part of the text.
    EXPECT_EQ(LinesOf("a\rb\r\r\n"), std::vector<std::string>{"a\rb\r"});
    EXPECT_TRUE(LinesOf("").empty());
}

TEST(SettingsLineTest, SplitsAtTheFirstSpaceWithoutTrimming)
{
    LineReader in("ToneCurve  7  30 3  \nEndCurveSetting\n SettingName\nSettingName\n");
    std::string_view key;
    std::string_view value;
    ASSERT_TRUE(QVSetting::ReadKeyValue(in, key, value));
    EXPECT_EQ(key, "ToneCurve");
    EXPECT_EQ(value, " 7  30 3  ");
    ASSERT_TRUE(QVSetting::ReadKeyValue(in, key, value));
    EXPECT_EQ(key, "EndCurveSetting");
    EXPECT_EQ(value, "");
    ASSERT_TRUE(QVSetting::ReadKeyValue(in, key, value));
    EXPECT_EQ(key, "") << "a leading space gives an empty key";
    EXPECT_EQ(value, "SettingName");
    ASSERT_TRUE(QVSetting::ReadKeyValue(in, key, value));
    EXPECT_EQ(key, "SettingName");
    EXPECT_FALSE(QVSetting::ReadKeyValue(in, key, value));
}

TEST(SettingsValueTest, QuotedTextExtraction)
{
    EXPECT_EQ(QVSetting::ExtractQuoted("\"Default Setting\""), "Default Setting");
    EXPECT_EQ(QVSetting::ExtractQuoted(""), "");
    EXPECT_EQ(QVSetting::ExtractQuoted("Default Setting"), "Default Setting");
    EXPECT_EQ(QVSetting::ExtractQuoted("\"open ended"), "open ended");
    EXPECT_EQ(QVSetting::ExtractQuoted("x \"inner\" tail\""), "inner");
    EXPECT_EQ(QVSetting::ExtractQuoted("\"\""), "");
    EXPECT_EQ(QVSetting::ExtractQuoted("\"C:\\\\\""), "C:\\\\") << "backslashes are kept";

    std::string autoName;
    QVSetting::ReadQuoted("\"" + std::string(200, 'n') + "\"", autoName, 127);
    EXPECT_EQ(autoName, std::string(127, 'n')) << "the field's capacity is the limit";
}

TEST(SettingsValueTest, BooleanIsTrueOnlyForExactlyTrue)
{
    EXPECT_TRUE(QVSetting::ParseBool("true"));
    EXPECT_TRUE(QVSetting::ParseBool("\"true\""));
    EXPECT_FALSE(QVSetting::ParseBool("TRUE"));
    EXPECT_FALSE(QVSetting::ParseBool("True"));
    EXPECT_FALSE(QVSetting::ParseBool("1"));
    EXPECT_FALSE(QVSetting::ParseBool(""));
    EXPECT_FALSE(QVSetting::ParseBool("true "));
}

TEST(SettingsValueTest, SixteenBitNumbersOutOfRangeOrMissingDoNotParse)
{
    // "GridWidth 40000": the 16-bit field keeps its value.
    EXPECT_EQ(QVSetting::ParseInt16("40000"), std::nullopt);
    EXPECT_EQ(QVSetting::ParseInt16("-32769"), std::nullopt);
    EXPECT_EQ(QVSetting::ParseInt16("-32768"), -32768);
    EXPECT_EQ(QVSetting::ParseInt16("32767"), 32767);
    EXPECT_EQ(QVSetting::ParseInt16(""), std::nullopt);
    EXPECT_EQ(QVSetting::ParseInt16("abc"), std::nullopt);
    EXPECT_EQ(QVSetting::ParseInt16("  50px"), 50) << "reading stops at the first non-digit";
    EXPECT_EQ(QVSetting::ParseInt16("+5"), 5);
    EXPECT_EQ(QVSetting::ParseInt16("+-5"), std::nullopt);

    EXPECT_EQ(QVSetting::ParseUInt16("65535"), 65535);
    EXPECT_EQ(QVSetting::ParseUInt16("65536"), std::nullopt);
    EXPECT_EQ(QVSetting::ParseUInt16("-1"), std::nullopt) << "no wrap-around to 65535";
    EXPECT_EQ(QVSetting::ParseInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(QVSetting::ParseUInt32("4294967296"), std::nullopt);
}

TEST(SettingsValueTest, RealsReadAsDecimalNumbersInAnyLocale)
{
    EXPECT_EQ(QVSetting::ParseReal("16.6667"), 16.6667);
    EXPECT_EQ(QVSetting::ParseReal("  -0.5"), -0.5);
    EXPECT_EQ(QVSetting::ParseReal("1e-05"), 1e-05);
    EXPECT_EQ(QVSetting::ParseReal(".5"), 0.5);
    EXPECT_EQ(QVSetting::ParseReal("2.5 inches"), 2.5);
    EXPECT_EQ(QVSetting::ParseReal("2,5"), 2.0) << "the comma is not a decimal point";
    EXPECT_EQ(QVSetting::ParseReal("inf"), std::nullopt);
    EXPECT_EQ(QVSetting::ParseReal("nan"), std::nullopt);
    EXPECT_EQ(QVSetting::ParseReal("1e999"), std::nullopt);
    EXPECT_EQ(QVSetting::ParseReal("wide"), std::nullopt);
}

TEST(SettingsValueTest, RealsPrintWithSixSignificantDigits)
{
    EXPECT_EQ(QVSetting::FormatReal(50.0 / 3.0), "16.6667");
    EXPECT_EQ(QVSetting::FormatReal(0.001447721), "0.00144772");
    EXPECT_EQ(QVSetting::FormatReal(300), "300");
    EXPECT_EQ(QVSetting::FormatReal(0), "0");
    EXPECT_EQ(QVSetting::FormatReal(2.2333333), "2.23333");
    EXPECT_EQ(QVSetting::FormatReal(-12.5), "-12.5");
    EXPECT_EQ(QVSetting::FormatReal(1e6), "1e+06");
    EXPECT_EQ(QVSetting::FormatReal(0.00001), "1e-05");
    EXPECT_EQ(QVSetting::FormatReal(123456.7), "123457");
}

TEST(SettingsValueTest, ColoursKeepTheLowByteOfEachComponent)
{
    EXPECT_EQ(ParseRGB("74 255 255"), 74u + 255u * 256u + 255u * 65536u);
    EXPECT_EQ(ParseRGB("256 0 0"), 0u);
    EXPECT_EQ(ParseRGB("-1 0 0"), 255u);
    EXPECT_EQ(ParseRGB("0   128\t1"), 128u * 256u + 65536u);
    EXPECT_EQ(ParseRGB("1 2"), std::nullopt);
    EXPECT_EQ(ParseRGB("40000 0 0"), std::nullopt);

    EXPECT_EQ(ParseRGBA16("65535 32768 0 65535"), 255u + 128u * 256u);
    EXPECT_EQ(ParseRGBA16("255 256 511 0"), 0u + 1u * 256u + 1u * 65536u);
    EXPECT_EQ(ParseRGBA16("65536 0 0 0"), std::nullopt);
    EXPECT_EQ(ParseRGBA16("-1 0 0 0"), std::nullopt);
}

TEST(SettingsValueTest, ScannerStopsForGoodAtTheFirstBadNumber)
{
    ValueScanner scanner(" 3 x 5");
    EXPECT_EQ(scanner.NextInt16(), 3);
    EXPECT_EQ(scanner.NextInt16(), std::nullopt);
    EXPECT_EQ(scanner.NextInt16(), std::nullopt) << "the 5 after the break is not read";
    EXPECT_TRUE(scanner.Failed());

    ValueScanner words("2 0.5 vertical 12 horizontal ");
    EXPECT_EQ(words.NextInt16(), 2);
    EXPECT_EQ(words.NextReal(), 0.5);
    EXPECT_EQ(words.NextWord(), "vertical");
    EXPECT_EQ(words.NextReal(), 12.0);
    EXPECT_EQ(words.NextWord(), "horizontal");
    EXPECT_EQ(words.NextWord(), std::nullopt);
    EXPECT_EQ(QVSetting::ParseWord("  inches extra"), "inches");
}

TEST(SettingsWriteTest, EachFormIsOneCrLfLine)
{
    MemoryOutputStream out;
    QVSetting::WriteLine(out, "BeginSettingFile");
    QVSetting::WriteBool(out, "AutoSavePrefs", true);
    QVSetting::WriteBool(out, "RotateCrop", false);
    QVSetting::WriteQuoted(out, "SaveScansFolder", "C:\\");
    QVSetting::WriteRaw(out, "Units", "inches");
    QVSetting::WriteReal(out, "OutputWidth", 50.0 / 3.0);
    QVSetting::WriteInt16(out, "AutoFileSuffix", -3);
    QVSetting::WriteUInt16(out, "MotorParam", 65535);
    QVSetting::WriteInt32(out, "CurrentICCProfileIndex", -1);
    QVSetting::WriteUInt32(out, "Big", 4294967295u);
    QVSetting::WriteRGB(out, "GuideColor", 74u + 255u * 256u + 255u * 65536u);
    EXPECT_EQ(out.Text(),
              "BeginSettingFile\r\n"
              "AutoSavePrefs true\r\n"
              "RotateCrop false\r\n"
              "SaveScansFolder \"C:\\\"\r\n"
              "Units inches\r\n"
              "OutputWidth 16.6667\r\n"
              "AutoFileSuffix -3\r\n"
              "MotorParam 65535\r\n"
              "CurrentICCProfileIndex -1\r\n"
              "Big 4294967295\r\n"
              "GuideColor 74 255 255\r\n");
}

TEST(SettingsWriteTest, TextsThatWouldBreakTheFormatAreDefused)
{
    MemoryOutputStream out;
    // A name taken from a file name can hold a line feed; written as it is, the rest of the
    // name would become a line of its own ("EndSizeSetting" here) and end the section early.
    QVSetting::WriteQuoted(out, "SettingName", "12\" print\nEndSizeSetting");
    QVSetting::WriteRaw(out, "ScanName", "a\nb");
    EXPECT_EQ(out.Text(),
              "SettingName \"12' print EndSizeSetting\"\r\n"
              "ScanName a b\r\n");
}

}  // namespace
}  // namespace scanora
