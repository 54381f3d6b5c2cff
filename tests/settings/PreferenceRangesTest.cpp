#include "settings/PreferenceRanges.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/PreferenceChoices.h"

namespace scanora {
namespace {

using Field = PreferenceRanges::Field;

struct RangeCase {
    Field field;
    std::string below;  // just out of range at the bottom
    std::string low;
    std::string high;
    std::string above;  // just out of range at the top ("" when there is no top)
    std::string message;
    int replacement;
};

TEST(PreferenceRangesTest, EachFieldAcceptsItsRangeAndNamesTheReplacementOutsideIt)
{
    const RangeCase cases[] = {
        {Field::Increment, "0", "1", "9999", "10000",
         "Increment Range: 1-9999\n\nIncrement has been changed to: 1 ", 1},
        {Field::StartNumber, "-1", "0", "9999", "10000",
         "Start Number Range: 0-9999\n\nStart Number has been changed to: 1 ", 1},
        {Field::BaselineIso, "0", "1", "9999", "10000",
         "ISO Baseline Range: 1-9999\n\nISO Baseline has been changed to: 100 ", 100},
        {Field::GridWidth, "2", "3", "500", "501",
         "Grid Width Range: 3-500\n\nGrid Width has been changed to: 50 ", 50},
        {Field::GridHeight, "2", "3", "500", "501",
         "Grid Height Range: 3-500\n\nGrid Height has been changed to: 50 ", 50},
        {Field::SuffixLength, "0", "1", "12", "13",
         "Suffix length range: 1-12\n\nSuffix length has been changed to: 2 ", 2},
        {Field::TimeLapseImages, "-1", "0", "32767", "",
         "Time Lapse Images must be greater than 0\n\nIt has been changed to: 1", 1},
        {Field::TimeLapseSeconds, "-1", "0", "32767", "",
         "Time Lapse Seconds must be greater than 0\n\nIt has been changed to: 1", 1},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_FALSE(PreferenceRanges::Check(c.field, c.low));
        EXPECT_FALSE(PreferenceRanges::Check(c.field, c.high));
        for (const std::string& out : {c.below, c.above}) {
            if (out.empty())
                continue;
            const auto correction = PreferenceRanges::Check(c.field, out);
            ASSERT_TRUE(correction) << out;
            EXPECT_EQ(correction->message, c.message);
            EXPECT_EQ(correction->value, c.replacement);
        }
    }
}

TEST(PreferenceRangesTest, FieldsAreReadAsDecimalNumbersUpToTheFirstOtherCharacter)
{
    EXPECT_EQ(PreferenceRanges::ReadNumber(""), 0);
    EXPECT_EQ(PreferenceRanges::ReadNumber("12ab"), 12);
    EXPECT_EQ(PreferenceRanges::ReadNumber("  -7"), -7);
    EXPECT_EQ(PreferenceRanges::ReadNumber("x5"), 0);
    // An empty baseline reads 0 and is out of range.
    EXPECT_TRUE(PreferenceRanges::Check(Field::BaselineIso, ""));
    // A long row of digits does not wrap round into a range.
    EXPECT_TRUE(PreferenceRanges::Check(Field::GridWidth, "18446744073709551916"));
    EXPECT_TRUE(PreferenceRanges::Check(Field::StartNumber, "4294967296"));
    EXPECT_EQ(PreferenceRanges::ReadInt16("99999"), 32767);
    EXPECT_EQ(PreferenceRanges::ReadInt16("-99999"), -32768);
    EXPECT_EQ(PreferenceRanges::ReadInt16("65537"), 32767);
}

TEST(PreferenceChoicesTest, AMissingTransparencyOrGridSpacingShowsItsUsualValue)
{
    CameraPreferences prefs;
    prefs.maskTransparency = -1;
    prefs.gridWidth = -5;
    prefs.gridHeight = 40;
    const PreferenceChoices choices = PreferenceChoices::Of(prefs);
    EXPECT_EQ(choices.appearance.maskTransparency, 128);
    EXPECT_EQ(choices.appearance.gridWidth, 50);
    EXPECT_EQ(choices.appearance.gridHeight, 40);
}

TEST(PreferenceChoicesTest, WritingBackKeepsEveryChoiceInItsOwnKey)
{
    // Every edited key gets a value of its own, so a value written to the wrong key shows.
    CameraPreferences prefs;
    prefs.autoSaveScans = true;
    prefs.saveScansFolder = "/scans";
    prefs.savePrescansFolder = "/prescans";
    prefs.useAutoSuffixes = true;
    prefs.autoFileName = "Plate";
    prefs.autoFileSuffix = 11;
    prefs.autoFileIncrement = 3;
    prefs.suffixLength = 4;
    prefs.autoOpenPrescans = true;
    prefs.openWithApplicationName = "/usr/bin/viewer";
    prefs.playSoundAfterPrescans = true;
    prefs.soundName = "/sounds/done.wav";
    prefs.maskColor = 0x010203;
    prefs.maskTransparency = 77;
    prefs.gridColor = 0x040506;
    prefs.gridWidth = 31;
    prefs.gridHeight = 32;
    prefs.guideColor = 0x070809;
    prefs.guidePatternID = 2;
    prefs.lineTimeSync = CameraPreferences::kSync50Hz;
    prefs.isoIncrement = CameraPreferences::kOneThird;
    prefs.baselineISO = 160;
    prefs.rotateCrop = true;
    prefs.timeLapse = true;
    prefs.timeLapseImages = 21;
    prefs.timeLapseSeconds = 22;
    prefs.fileDescriptionTextType = CameraPreferences::kDescriptionFileName;
    prefs.embedOrientation = false;

    CameraPreferences written;
    PreferenceChoices::Of(prefs).WriteTo(written);
    EXPECT_EQ(written.autoSaveScans, true);
    EXPECT_EQ(written.autoSavePrescans, false);
    EXPECT_EQ(written.saveScansFolder, "/scans");
    EXPECT_EQ(written.savePrescansFolder, "/prescans");
    EXPECT_EQ(written.useAutoSuffixes, true);
    EXPECT_EQ(written.autoFileName, "Plate");
    EXPECT_EQ(written.autoFileSuffix, 11);
    EXPECT_EQ(written.autoFileIncrement, 3);
    EXPECT_EQ(written.suffixLength, 4);
    EXPECT_EQ(written.autoOpenRetrieves, false);
    EXPECT_EQ(written.autoOpenPrescans, true);
    EXPECT_EQ(written.openWithApplicationName, "/usr/bin/viewer");
    EXPECT_EQ(written.playSoundAfterScans, false);
    EXPECT_EQ(written.playSoundAfterPrescans, true);
    EXPECT_EQ(written.soundName, "/sounds/done.wav");
    EXPECT_EQ(written.maskColor, 0x010203u);
    EXPECT_EQ(written.maskTransparency, 77);
    EXPECT_EQ(written.gridColor, 0x040506u);
    EXPECT_EQ(written.gridWidth, 31);
    EXPECT_EQ(written.gridHeight, 32);
    EXPECT_EQ(written.guideColor, 0x070809u);
    EXPECT_EQ(written.guidePatternID, 2);
    EXPECT_EQ(written.lineTimeSync, CameraPreferences::kSync50Hz);
    EXPECT_EQ(written.isoIncrement, CameraPreferences::kOneThird);
    EXPECT_EQ(written.baselineISO, 160);
    EXPECT_EQ(written.rotateCrop, true);
    EXPECT_EQ(written.timeLapse, true);
    EXPECT_EQ(written.timeLapseImages, 21);
    EXPECT_EQ(written.timeLapseSeconds, 22);
    EXPECT_EQ(written.fileDescriptionTextType, CameraPreferences::kDescriptionFileName);
    EXPECT_EQ(written.embedOrientation, false);
}

TEST(PreferenceChoicesTest, TheFileNameIsCutToSixtyTwoWholeCharacters)
{
    CameraPreferences prefs;
    PreferenceChoices choices;
    choices.autoFileName = std::string(70, 'a');
    choices.WriteTo(prefs);
    EXPECT_EQ(prefs.autoFileName, std::string(62, 'a'));

    // "é" is two bytes: 62 characters are 124 bytes, and no character is split.
    std::string accented;
    for (int i = 0; i < 63; ++i) accented += "\xC3\xA9";
    choices.autoFileName = accented;
    choices.WriteTo(prefs);
    EXPECT_EQ(prefs.autoFileName, accented.substr(0, 124));
}

}  // namespace
}  // namespace scanora
