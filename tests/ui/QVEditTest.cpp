// The filtered edit field as a user types into it.

#include "ui/QVEdit.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace scanora::ui {
namespace {

TEST(QVEditTest, AnIntegerFieldIgnoresLettersQuietlyAndRefusesTooManyDigitsWithABeep)
{
    QVEdit edit;
    edit.SetMaxLengths(4, 0);
    QSignalSpy refused(&edit, &QVEdit::refused);
    QTest::keyClicks(&edit, "1a2-3.");
    EXPECT_EQ(edit.text(), "123");
    EXPECT_EQ(refused.count(), 0);
    QTest::keyClicks(&edit, "45");
    EXPECT_EQ(edit.text(), "1234");
    EXPECT_EQ(refused.count(), 1);
    // Typing over a selection counts the text it leaves.
    edit.selectAll();
    QTest::keyClicks(&edit, "9");
    EXPECT_EQ(edit.text(), "9");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "");
}

TEST(QVEditTest, ASignedFieldTakesTheMinus)
{
    QVEdit edit;
    edit.SetMode(QVEdit::Mode::SignedInteger);
    QTest::keyClicks(&edit, "-12x");
    EXPECT_EQ(edit.text(), "-12");
}

TEST(QVEditTest, ATextFieldRefusesItsSixtyFourthCharacter)
{
    QVEdit edit;
    edit.SetMode(QVEdit::Mode::Text);
    edit.SetMaxLengths(63, 0);
    QSignalSpy refused(&edit, &QVEdit::refused);
    QTest::keyClicks(&edit, QString(63, 'x'));
    EXPECT_EQ(edit.text().size(), 63);
    EXPECT_EQ(refused.count(), 0);
    QTest::keyClick(&edit, Qt::Key_Y);
    EXPECT_EQ(edit.text(), QString(63, 'x'));
    EXPECT_EQ(refused.count(), 1);
    // Characters outside the text set (a path separator, a colon) never get in.
    edit.clear();
    QTest::keyClicks(&edit, "a/b:c");
    EXPECT_EQ(edit.text(), "abc");
}

TEST(QVEditTest, ADecimalFieldLimitsBothPartsAndKeepsOneSeparator)
{
    QVEdit edit;
    edit.SetMode(QVEdit::Mode::UnsignedDecimal);
    edit.SetMaxLengths(3, 2);
    QSignalSpy refused(&edit, &QVEdit::refused);
    QTest::keyClicks(&edit, "1234");
    EXPECT_EQ(edit.text(), "123");
    QTest::keyClicks(&edit, ",456.");
    EXPECT_EQ(edit.text(), "123,45");
    EXPECT_EQ(refused.count(), 3);  // the fourth digit, the third decimal, the second separator

    EXPECT_TRUE(QVEdit::Fits(QVEdit::Mode::SignedDecimal, "-12.5", 3, 1));
    EXPECT_FALSE(QVEdit::Fits(QVEdit::Mode::SignedDecimal, "1.2.", 3, 3));
}

TEST(QVEditTest, KeysThatTypeNothingStillWork)
{
    QVEdit edit;
    QTest::keyClicks(&edit, "123");
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), "12");
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_5);
    EXPECT_EQ(edit.text(), "512");
}

}  // namespace
}  // namespace scanora::ui
